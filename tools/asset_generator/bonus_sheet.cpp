// SPDX-License-Identifier: GPL-3.0-or-later
// The bonus sheet: twelve capsules, each with an icon a player can read at a glance. The rim says
// whether catching it helps (green), hurts (red), is a gamble (amber) or a surprise (violet).

#include <QFont>
#include <QPainterPath>
#include <cmath>
#include <functional>
#include <iterator>

#include "model/state.h"
#include "tools/asset_generator/paint_tools.h"
#include "tools/asset_generator/pictures.h"

namespace ZapAssets {
namespace {

constexpr int kCellW = ZapModule::kCellWidth, kCellH = ZapModule::kCellHeight;

const QColor kGood(72, 204, 96), kRisk(230, 64, 56), kGamble(236, 170, 40), kSurprise(190, 90, 240);
const QColor kCapsule(24, 28, 40);
const QColor kRod(190, 200, 215), kBallBlue(90, 200, 255);

void Capsule(QPainter& p, const QColor& rim) {
    p.setPen(QPen(rim, 1.4));
    p.setBrush(kCapsule);
    p.drawRoundedRect(QRectF(1.2, 1.2, 17.6, 22.6), 4.5, 4.5);
}

void Triangle(QPainter& p, QPointF a, QPointF b, QPointF c, const QColor& colour) {
    QPainterPath path;
    path.moveTo(a);
    path.lineTo(b);
    path.lineTo(c);
    path.closeSubpath();
    p.fillPath(path, colour);
}

void Rod(QPainter& p, double top, double bottom) {
    QLinearGradient g(8, 0, 12, 0);
    g.setColorAt(0, Scale(kRod, 0.6));
    g.setColorAt(0.35, Qt::white);
    g.setColorAt(1, Scale(kRod, 0.5));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRoundedRect(QRectF(8, top, 4, bottom - top), 1.8, 1.8);
}

void GlowBall(QPainter& p, QPointF centre, double radius, const QColor& colour) {
    QRadialGradient g(centre - QPointF(radius * 0.35, radius * 0.35), radius * 1.3);
    g.setColorAt(0, Qt::white);
    g.setColorAt(0.5, colour);
    g.setColorAt(1, Scale(colour, 0.45));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawEllipse(centre, radius, radius);
}

void LongBat(QPainter& p) {
    Rod(p, 7, 18);
    Triangle(p, {10, 3}, {6.5, 6.5}, {13.5, 6.5}, kGood);
    Triangle(p, {10, 22}, {6.5, 18.5}, {13.5, 18.5}, kGood);
}

void ShortBat(QPainter& p) {
    Rod(p, 10, 15);
    Triangle(p, {6.5, 3.8}, {13.5, 3.8}, {10, 8.3}, kRisk);
    Triangle(p, {6.5, 21.2}, {13.5, 21.2}, {10, 16.7}, kRisk);
}

void WallIcon(QPainter& p) {
    QLinearGradient g(11.5, 0, 16, 0);
    g.setColorAt(0, QColor(20, 70, 160));
    g.setColorAt(0.5, QColor(200, 245, 255));
    g.setColorAt(1, QColor(20, 70, 160));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRect(QRectF(11.5, 3.5, 4.5, 18));
    GlowBall(p, {6.5, 12.5}, 2.6, kBallBlue);
}

void ExtraBall(QPainter& p) {
    GlowBall(p, {10, 9}, 4, kBallBlue);
    p.setPen(Qt::NoPen);
    p.setBrush(kGood);
    p.drawRect(QRectF(6, 16.5, 8, 2.2));
    p.drawRect(QRectF(8.9, 13.6, 2.2, 8));
}

void Skull(QPainter& p) {
    const QColor bone(236, 230, 214);
    p.setPen(Qt::NoPen);
    p.setBrush(bone);
    p.drawEllipse(QPointF(10, 10.5), 5.6, 5.3);
    p.drawRoundedRect(QRectF(6.8, 13, 6.4, 5.6), 1.2, 1.2);
    p.setBrush(QColor(120, 10, 10));
    p.drawEllipse(QPointF(7.8, 10.4), 1.7, 1.9);
    p.drawEllipse(QPointF(12.2, 10.4), 1.7, 1.9);
    Triangle(p, {10, 12.6}, {9, 14.4}, {11, 14.4}, QColor(120, 10, 10));
    p.setPen(QPen(QColor(90, 80, 70), 0.8));
    for (double x : {8.6, 10.0, 11.4}) p.drawLine(QPointF(x, 16.2), QPointF(x, 18.6));
}

void FastForward(QPainter& p) {
    QPen pen(kGamble, 2.3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    for (double x : {4.6, 10.2}) {
        const QPointF line[] = {{x, 7.5}, {x + 4.6, 12.5}, {x, 17.5}};
        p.drawPolyline(line, 3);
    }
}

void Snail(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(150, 220, 120));
    p.drawRoundedRect(QRectF(2.8, 15.2, 14.4, 3.4), 1.6, 1.6);
    p.drawEllipse(QPointF(4.6, 14.4), 1.9, 2.3);
    p.setPen(QPen(QColor(150, 220, 120), 0.9));
    p.drawLine(QPointF(4.0, 12.5), QPointF(3.0, 8.6));
    p.drawLine(QPointF(5.3, 12.5), QPointF(6.4, 8.8));
    GlowBall(p, {11.4, 11.2}, 4.8, QColor(214, 150, 60));
    QPainterPath spiral;
    for (int i = 0; i <= 40; ++i) {
        const double a = i * 0.3, r = 0.4 + i * 0.085;
        const QPointF pt(11.4 + r * std::cos(a), 11.2 + r * std::sin(a));
        if (i == 0)
            spiral.moveTo(pt);
        else
            spiral.lineTo(pt);
    }
    p.setPen(QPen(QColor(100, 55, 20), 0.9));
    p.setBrush(Qt::NoBrush);
    p.drawPath(spiral);
}

void Bomb(QPainter& p) {
    GlowBall(p, {9.4, 14.4}, 5.2, QColor(80, 86, 108));
    p.setPen(QPen(QColor(170, 130, 80), 1.2));
    p.setBrush(Qt::NoBrush);
    QPainterPath fuse;
    fuse.moveTo(12.6, 10.2);
    fuse.quadTo(13.4, 6.6, 15.2, 5.8);
    p.drawPath(fuse);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 200, 60));
    p.drawEllipse(QPointF(15.4, 5.2), 1.8, 1.8);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(15.4, 5.2), 0.7, 0.7);
}

void Heart(QPainter& p) {
    QPainterPath heart;
    heart.moveTo(10, 19.5);
    heart.cubicTo(2.5, 14, 3, 7, 6.8, 7.2);
    heart.cubicTo(8.6, 7.3, 9.6, 8.4, 10, 9.6);
    heart.cubicTo(10.4, 8.4, 11.4, 7.3, 13.2, 7.2);
    heart.cubicTo(17, 7, 17.5, 14, 10, 19.5);
    QLinearGradient g(0, 7, 0, 19);
    g.setColorAt(0, QColor(255, 120, 140));
    g.setColorAt(1, QColor(200, 20, 50));
    p.setPen(Qt::NoPen);
    p.fillPath(heart, g);
    p.setBrush(QColor(255, 220, 225));
    p.drawEllipse(QPointF(7.2, 10), 1.1, 1.1);
}

void Fireball(QPainter& p) {
    QPainterPath tail;
    tail.moveTo(5.6, 17.5);
    tail.cubicTo(6, 11, 11, 6, 16.5, 3.5);
    tail.cubicTo(14.5, 8, 14, 13, 11.4, 18.6);
    tail.closeSubpath();
    QLinearGradient g(8, 16, 16, 4);
    g.setColorAt(0, QColor(255, 160, 30));
    g.setColorAt(1, QColor(200, 30, 20, 0));
    p.setPen(Qt::NoPen);
    p.fillPath(tail, g);
    GlowBall(p, {8.4, 16.4}, 3.8, QColor(255, 190, 40));
}

void Magnet(QPainter& p) {
    QPainterPath u;
    u.moveTo(6, 5);
    u.lineTo(6, 12.5);
    u.arcTo(QRectF(6, 8.5, 8, 8), 180, 180);
    u.lineTo(14, 5);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(220, 50, 50), 3.4, Qt::SolidLine, Qt::FlatCap));
    p.drawPath(u);
    p.setPen(QPen(QColor(225, 228, 236), 3.4, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(6, 4.2), QPointF(6, 7.6));
    p.drawLine(QPointF(14, 4.2), QPointF(14, 7.6));
    p.setPen(QPen(QColor(160, 220, 255), 0.9));
    p.drawLine(QPointF(4, 19.5), QPointF(16, 19.5));
    p.drawLine(QPointF(7, 21.3), QPointF(13, 21.3));
}

void QuestionMark(QPainter& p) {
    QFont font("DejaVu Sans");
    font.setPixelSize(17);
    font.setBold(true);
    p.setFont(font);
    p.setPen(QColor(255, 230, 120));
    p.drawText(QRectF(0, 2, kCellW, 22), Qt::AlignCenter, "?");
}

struct BonusPicture {
    QColor rim;
    std::function<void(QPainter&)> icon;
};

}  // namespace

QImage BonusSheet() {
    const BonusPicture pictures[] = {
        {kGood, LongBat}, {kRisk, ShortBat},      {kGood, WallIcon}, {kGood, ExtraBall},
        {kRisk, Skull},   {kGamble, FastForward}, {kGood, Snail},    {kGood, Bomb},
        {kGood, Heart},   {kGood, Fireball},      {kGood, Magnet},   {kSurprise, QuestionMark},
    };
    // Pictures 1 to Surprise, a cell each.
    constexpr int kPictures = ZapModule::Bonus::Surprise;
    static_assert(std::size(pictures) == kPictures);
    QImage sheet = NewPicture(kCellW * kPictures, kCellH);
    for (int i = 0; i < kPictures; ++i) {
        QImage cell = NewPicture(kCellW, kCellH);
        QPainter p(&cell);
        Smooth(p);
        Capsule(p, pictures[i].rim);
        pictures[i].icon(p);
        p.end();
        QPainter s(&sheet);
        s.drawImage(i * kCellW, 0, cell);
    }
    return sheet;
}

}  // namespace ZapAssets
