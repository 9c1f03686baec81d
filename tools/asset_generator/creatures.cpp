// SPDX-License-Identifier: GPL-3.0-or-later
// The animated sheets: the viruses that roam the field (records 0 and 2 to 5 of the animation
// table) and the short burst that marks every destruction (record 1). Every design scales to the
// frame size the table gives and loops smoothly over its frame count.

#include <QPainterPath>
#include <cmath>
#include <functional>
#include <numbers>

#include "tools/asset_generator/paint_tools.h"
#include "tools/asset_generator/pictures.h"
#include "tools/asset_generator/seeded_random.h"

namespace ZapAssets {
namespace {

constexpr double kTau = 2.0 * std::numbers::pi;

struct Frame {
    int index, count, width, height;
    double Phase() const { return static_cast<double>(index) / count; }  // 0..1, loops
    QPointF Centre() const { return {width / 2.0, height / 2.0}; }
    double Radius() const { return std::min(width, height) / 2.0; }
};

void Ball(QPainter& p, QPointF c, double r, const QColor& light, const QColor& dark) {
    QRadialGradient g(c - QPointF(r * 0.4, r * 0.45), r * 1.35);
    g.setColorAt(0, light);
    g.setColorAt(1, dark);
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawEllipse(c, r, r);
}

// Two eyes that glance from side to side and blink once per loop.
void Eyes(QPainter& p, const Frame& f, QPointF left, QPointF right, double r) {
    const bool blink = f.index == f.count - 1;
    const double look = 0.45 * r * std::sin(kTau * f.Phase());
    for (QPointF e : {left, right}) {
        if (blink) {
            p.setPen(QPen(QColor(20, 30, 20), 0.9));
            p.drawLine(e - QPointF(r, 0), e + QPointF(r, 0));
            continue;
        }
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawEllipse(e, r, r * 1.15);
        p.setBrush(QColor(10, 10, 20));
        p.drawEllipse(e + QPointF(look, 0.1 * r), r * 0.5, r * 0.6);
    }
}

// Record 0: the common virus, a green ball with club-tipped spikes that turn and breathe.
void Virus(QPainter& p, const Frame& f) {
    const QPointF c = f.Centre();
    const double body = f.Radius() - 3.4;
    for (int k = 0; k < 8; ++k) {
        const double a = kTau * (k / 8.0 + f.Phase() / 8.0);
        const double len = body + 1.9 + 0.5 * std::sin(kTau * f.Phase() + k * 1.7);
        const QPointF dir(std::cos(a), std::sin(a));
        p.setPen(QPen(QColor(60, 150, 60), 1.2));
        p.drawLine(c + dir * (body - 1), c + dir * len);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(170, 240, 110));
        p.drawEllipse(c + dir * len, 1.3, 1.3);
    }
    Ball(p, c, body, QColor(150, 245, 120), QColor(30, 120, 50));
    Eyes(p, f, c + QPointF(-2.3, -0.8), c + QPointF(2.3, -0.8), 1.7);
}

// Record 1: the burst. A white flash with rays, swelling into orange fire that breaks into
// blobs flying apart and cooling to dark embers, while sparks shoot outward.
void Burst(QPainter& p, const Frame& f) {
    const double t = f.count > 1 ? static_cast<double>(f.index) / (f.count - 1) : 0.0;
    const QPointF c = f.Centre();
    const double reach = std::min(f.width, f.height) / 2.0 - 0.5;
    SeededRandom random(31);
    p.setPen(Qt::NoPen);
    // Fire blobs: they start packed around the centre and drift out as they cool.
    for (int k = 0; k < 8; ++k) {
        const double a = kTau * (k + 0.7 * random.Uniform()) / 8.0;
        const double size = 0.8 + 0.4 * random.Uniform();
        const double d = reach * (0.12 + 0.55 * t) * (0.8 + 0.4 * random.Uniform());
        const double r = reach * (0.42 - 0.24 * t) * size;
        const QPointF at = c + QPointF(std::cos(a), std::sin(a)) * d;
        const QColor hot = Mix(QColor(255, 220, 120), QColor(240, 90, 20), t * 1.5);
        const QColor cool = Mix(QColor(230, 70, 20), QColor(90, 30, 24), t);
        QRadialGradient g(at, r);
        g.setColorAt(0, hot);
        g.setColorAt(1, cool);
        p.setBrush(g);
        p.drawEllipse(at, r, r);
    }
    // The white-hot core, gone by the end.
    const double core = reach * 0.5 * (1.0 - t);
    if (core > 0.5) {
        QRadialGradient g(c, core);
        g.setColorAt(0, Qt::white);
        g.setColorAt(1, QColor(255, 230, 140));
        p.setBrush(g);
        p.drawEllipse(c, core, core);
    }
    // Rays of the first flash.
    if (f.index == 0) {
        p.setPen(QPen(QColor(255, 250, 200), 1.2));
        for (int k = 0; k < 8; ++k) {
            const double a = kTau * (k + 0.5) / 8.0;
            p.drawLine(c, c + QPointF(std::cos(a), std::sin(a)) * reach * 0.9);
        }
        p.setPen(Qt::NoPen);
    }
    // Sparks shoot outward and dim.
    for (int k = 0; k < 10; ++k) {
        const double a = kTau * random.Uniform();
        const double d = reach * std::min(0.95, (0.35 + 0.6 * t) * (0.7 + 0.5 * random.Uniform()));
        p.setBrush(Mix(QColor(255, 245, 170), QColor(170, 50, 20), t));
        p.drawEllipse(c + QPointF(std::cos(a), std::sin(a)) * d, 0.9, 0.9);
    }
}

// Record 2: a purple worm wriggling along, head to the right.
void Worm(QPainter& p, const Frame& f) {
    const int segments = 5;
    const double r = f.height / 2.0 - 4.6;
    const double spacing = (f.width - 2.0 * r - 2.0) / (segments - 0.6);
    auto at = [&](int i) {
        return QPointF(f.width - r - 1.2 - i * spacing,
                       f.height / 2.0 + 2.6 * std::sin(kTau * f.Phase() - i * 1.1));
    };
    for (int i = segments - 1; i >= 1; --i) {
        const double ri = r * (1.0 - 0.09 * i);
        Ball(p, at(i), ri, QColor(210, 150, 255), QColor(90, 30, 150));
    }
    const QPointF head = at(0);
    Ball(p, head, r + 0.5, QColor(230, 180, 255), QColor(110, 40, 170));
    Eyes(p, f, head + QPointF(-0.4, -1.8), head + QPointF(1.6, -1.2), 1.3);
}

// Record 3: an amber beetle scuttling on six legs, head to the left, its shell split into two
// glossy wing cases.
void Beetle(QPainter& p, const Frame& f) {
    const QPointF c = f.Centre() + QPointF(1.5, 0);
    const double rx = f.width / 2.0 - 3.5, ry = f.height / 2.0 - 4.2;
    const bool stride = (f.index % 2) == 0;
    p.setPen(QPen(QColor(190, 120, 70), 1.0));
    for (int leg = 0; leg < 3; ++leg) {
        const double x = c.x() - rx * 0.55 + leg * rx * 0.55;
        const double swing = ((leg % 2 == 0) == stride ? 2.0 : -2.0);
        p.drawLine(QPointF(x, c.y()), QPointF(x + swing, c.y() - ry - 3.0));
        p.drawLine(QPointF(x, c.y()), QPointF(x - swing, c.y() + ry + 3.0));
    }
    const QPointF head = c - QPointF(rx + 1.4, 0);
    const double wave = 0.8 * std::sin(kTau * f.Phase());
    p.drawLine(head, head + QPointF(-3.2, -3.4 + wave));
    p.drawLine(head, head + QPointF(-3.2, 3.4 - wave));
    Ball(p, head, 2.6, QColor(120, 80, 50), QColor(50, 28, 18));
    p.setPen(Qt::NoPen);
    QRadialGradient g(c - QPointF(0, ry * 0.5), std::max(rx, ry) * 1.3);
    g.setColorAt(0, QColor(255, 196, 90));
    g.setColorAt(1, QColor(176, 84, 14));
    p.setBrush(g);
    p.drawEllipse(c, rx, ry);
    p.setPen(QPen(QColor(80, 34, 6), 1.0));
    p.drawLine(QPointF(c.x() - rx + 0.5, c.y()), QPointF(c.x() + rx - 0.5, c.y()));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 236, 190, 200));
    p.drawEllipse(c + QPointF(-2.0, -ry * 0.55), 1.6, 0.7);
}

// Record 4: a pale data ghost that bobs up and down, its hem rippling.
void Ghost(QPainter& p, const Frame& f) {
    const double bob = 1.0 * std::sin(kTau * f.Phase());
    const double r = f.width / 2.0 - 1.5;
    const QPointF top(f.width / 2.0, r + 1.5 + bob);
    const double hem = f.height - 3.0 + bob;
    QPainterPath body;
    body.moveTo(top.x() - r, top.y());
    body.arcTo(QRectF(top.x() - r, top.y() - r, 2 * r, 2 * r), 180, -180);
    body.lineTo(top.x() + r, hem);
    const int scallops = 3;
    for (int i = 0; i < scallops * 4; ++i) {
        const double x = top.x() + r - (i + 1) * (2 * r) / (scallops * 4);
        const double y = hem + 1.6 * std::sin(kTau * (i / 4.0 + f.Phase()));
        body.lineTo(x, y);
    }
    body.closeSubpath();
    QLinearGradient g(0, top.y() - r, 0, hem);
    g.setColorAt(0, QColor(230, 250, 255));
    g.setColorAt(1, QColor(90, 190, 230));
    p.setPen(Qt::NoPen);
    p.fillPath(body, g);
    const bool blink = f.index == f.count - 1;
    p.setBrush(QColor(20, 40, 110));
    for (double dx : {-2.8, 2.8}) {
        if (blink)
            p.drawRect(QRectF(top.x() + dx - 1.3, top.y(), 2.6, 0.9));
        else
            p.drawEllipse(top + QPointF(dx, 0.6), 1.3, 2.0);
    }
}

// Record 5: the killer, a blood-red spiked ball with one glaring eye; its spikes turn and throb.
void Killer(QPainter& p, const Frame& f) {
    const QPointF c = f.Centre();
    const double body = f.Radius() - 4.4;
    const double throb = 0.9 * std::sin(kTau * f.Phase() * 2);
    p.setPen(Qt::NoPen);
    for (int k = 0; k < 10; ++k) {
        const double a = kTau * (k / 10.0 + f.Phase() / 10.0);
        const QPointF dir(std::cos(a), std::sin(a)), side(-dir.y(), dir.x());
        QPainterPath spike;
        spike.moveTo(c + dir * (body - 0.5) + side * 1.6);
        spike.lineTo(c + dir * (body + 3.3 + throb));
        spike.lineTo(c + dir * (body - 0.5) - side * 1.6);
        spike.closeSubpath();
        p.fillPath(spike, QColor(255, 90, 60));
    }
    Ball(p, c, body, QColor(255, 90, 80), QColor(110, 0, 10));
    p.setBrush(QColor(255, 244, 200));
    p.drawEllipse(c + QPointF(0, 0.6), 3.2, 2.6);
    const double look = 1.0 * std::sin(kTau * f.Phase());
    p.setBrush(QColor(230, 160, 0));
    p.drawEllipse(c + QPointF(look, 0.6), 1.7, 1.7);
    p.setBrush(Qt::black);
    p.drawEllipse(c + QPointF(look, 0.6), 0.55, 1.5);
    p.setPen(QPen(QColor(40, 0, 0), 1.2));
    p.drawLine(c + QPointF(-3.6, -3.4), c + QPointF(3.6, -2.0));
}

using Design = std::function<void(QPainter&, const Frame&)>;

}  // namespace

QImage AnimationSheet(int index, const AnimationSpec& spec) {
    const Design designs[] = {Virus, Burst, Worm, Beetle, Ghost, Killer};
    const Design& design = designs[index % 6];
    std::vector<QImage> frames;
    for (int i = 0; i < spec.frames; ++i) {
        QImage layer = NewLayer(spec.width, spec.height);
        QPainter p(&layer);
        Smooth(p);
        design(p, Frame{i, spec.frames, spec.width, spec.height});
        p.end();
        frames.push_back(layer);
    }
    return MaskedSheet(frames);
}

}  // namespace ZapAssets
