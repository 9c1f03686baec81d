// SPDX-License-Identifier: GPL-3.0-or-later
// The application icon. It is painted in a 256 x 256 design space and scaled to each size; the
// small sizes get bolder shapes and lose the fine details, so they stay readable at 16 px.

#include "tools/asset_generator/icon.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include "tools/asset_generator/paint_tools.h"

namespace ZapAssets {
namespace {

constexpr double kDesign = 256.0;

// The bricks' faces, the game's own brick colours.
const QColor kBrickFaces[] = {QColor(46, 184, 72), QColor(52, 112, 232), QColor(236, 192, 36),
                              QColor(214, 50, 50)};
const QColor kSteel(150, 166, 188);
const QColor kCoreGlow(90, 230, 255);

struct Proportions {
    double margin;      // between the picture's edge and the tile
    double brickWidth;  // the column of bricks at the left
    double batWidth;    // the upright bat at the right
    double ballRadius;
    bool details;  // bevels, the bat's window, the ball's trail
};

Proportions ProportionsFor(int size) {
    if (size <= 32) return {2.0, 78.0, 34.0, 30.0, false};
    return {8.0, 64.0, 22.0, 20.0, true};
}

void PaintTile(QPainter& p, const Proportions& k) {
    const QRectF tile(k.margin, k.margin, kDesign - 2 * k.margin, kDesign - 2 * k.margin);
    QLinearGradient depth(tile.topLeft(), tile.bottomLeft());
    depth.setColorAt(0.0, QColor(24, 38, 78));
    depth.setColorAt(1.0, QColor(8, 12, 32));
    p.setPen(QPen(QColor(84, 124, 186), k.details ? 4.0 : 8.0));
    p.setBrush(depth);
    p.drawRoundedRect(tile.adjusted(2, 2, -2, -2), 40, 40);
}

void PaintBricks(QPainter& p, const Proportions& k) {
    const double left = k.margin + 22, gap = k.details ? 8.0 : 12.0;
    const double top = k.margin + 24, bottom = kDesign - k.margin - 24;
    const double height = (bottom - top - 3 * gap) / 4;
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 4; ++i) {
        const QRectF brick(left, top + i * (height + gap), k.brickWidth, height);
        p.setBrush(kBrickFaces[i]);
        p.drawRoundedRect(brick, 6, 6);
        if (!k.details) continue;
        // A lit top edge and a shaded bottom edge, as on the bricks of the field.
        p.setBrush(Scale(kBrickFaces[i], 1.35));
        p.drawRect(QRectF(brick.left() + 6, brick.top() + 4, brick.width() - 12, 6));
        p.setBrush(Scale(kBrickFaces[i], 0.6));
        p.drawRect(QRectF(brick.left() + 6, brick.bottom() - 10, brick.width() - 12, 6));
    }
}

void PaintBat(QPainter& p, const Proportions& k) {
    const double right = kDesign - k.margin - 28;
    const QRectF bat(right - k.batWidth, 64, k.batWidth, 128);
    // A metal rod lit from the upper left, as the bat of the field.
    QLinearGradient rod(bat.topLeft(), bat.topRight());
    rod.setColorAt(0.0, Scale(kSteel, 0.9));
    rod.setColorAt(0.3, Mix(kSteel, Qt::white, 0.6));
    rod.setColorAt(1.0, Scale(kSteel, 0.35));
    p.setPen(Qt::NoPen);
    p.setBrush(rod);
    p.drawRoundedRect(bat, k.batWidth / 2, k.batWidth / 2);
    if (!k.details) return;
    // The energy window in its middle.
    p.setBrush(QColor(24, 34, 46));
    p.drawRect(QRectF(bat.left() + 5, bat.center().y() - 12, bat.width() - 10, 24));
    p.setBrush(kCoreGlow);
    p.drawRect(QRectF(bat.left() + 8, bat.center().y() - 7, bat.width() - 16, 14));
}

void PaintBall(QPainter& p, const Proportions& k) {
    const QPointF centre(k.details ? 136 : 140, k.details ? 104 : 112);
    p.setPen(Qt::NoPen);
    if (k.details) {
        // The way the ball came from the bat: fading blue dots.
        for (int i = 1; i <= 3; ++i) {
            const double r = k.ballRadius * (1.0 - 0.2 * i);
            p.setBrush(QColor(40, 140, 255, 150 - 40 * i));
            p.drawEllipse(centre + QPointF(18.0 * i, 10.0 * i), r, r);
        }
    }
    QRadialGradient halo(centre, k.ballRadius * 1.7);
    halo.setColorAt(0.55, QColor(40, 140, 255, 150));
    halo.setColorAt(1.0, QColor(40, 140, 255, 0));
    p.setBrush(halo);
    p.drawEllipse(centre, k.ballRadius * 1.7, k.ballRadius * 1.7);
    QRadialGradient body(centre - QPointF(k.ballRadius * 0.35, k.ballRadius * 0.4), k.ballRadius);
    body.setColorAt(0.0, Qt::white);
    body.setColorAt(0.25, QColor(150, 235, 255));
    body.setColorAt(1.0, QColor(30, 110, 230));
    p.setBrush(body);
    p.drawEllipse(centre, k.ballRadius, k.ballRadius);
}

}  // namespace

QImage AppIcon(int size) {
    QImage icon(size, size, QImage::Format_ARGB32_Premultiplied);
    icon.fill(Qt::transparent);
    QPainter p(&icon);
    Smooth(p);
    p.scale(size / kDesign, size / kDesign);
    const Proportions k = ProportionsFor(size);
    PaintTile(p, k);
    PaintBricks(p, k);
    PaintBat(p, k);
    PaintBall(p, k);
    p.end();
    return icon.convertToFormat(QImage::Format_ARGB32);
}

QImage TileIcon(int size) {
    QImage icon(size, size, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&icon);
    Smooth(p);
    p.scale(size / kDesign, size / kDesign);
    QLinearGradient depth(0, 0, 0, kDesign);
    depth.setColorAt(0.0, QColor(24, 38, 78));
    depth.setColorAt(1.0, QColor(8, 12, 32));
    p.fillRect(QRectF(0, 0, kDesign, kDesign), depth);
    // The bricks, the bat and the ball, drawn within the middle 62 %: a square that size fits
    // the circle of 80 % that a launcher's mask always leaves.
    constexpr double kInner = 0.62;
    p.translate(kDesign * (1 - kInner) / 2, kDesign * (1 - kInner) / 2);
    p.scale(kInner, kInner);
    const Proportions k = ProportionsFor(size);
    PaintBricks(p, k);
    PaintBat(p, k);
    PaintBall(p, k);
    p.end();
    return icon.convertToFormat(QImage::Format_RGB32);
}

}  // namespace ZapAssets
