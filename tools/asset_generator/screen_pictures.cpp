// SPDX-License-Identifier: GPL-3.0-or-later
// The game screen's background (the frame of the field, the dark windows the labels are written
// into, the two screen buttons with their captions, a faint circuit board around them) and the
// pressed button drawn over either screen button.

#include <QFont>
#include <QPainterPath>
#include <QRegion>
#include <cmath>

#include "model/field_geometry.h"
#include "model/screen_geometry.h"
#include "tools/asset_generator/paint_tools.h"
#include "tools/asset_generator/pictures.h"
#include "tools/asset_generator/seeded_random.h"

namespace ZapAssets {
namespace {

constexpr int kScreenW = ZapModule::kScreenWidth, kScreenH = ZapModule::kScreenHeight;
QRect ToQRect(const ::Rect& r) {
    return {r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top};
}

const QRect kField(ZapModule::kFieldLeftOnScreen, ZapModule::kFieldTopOnScreen,
                   ZapModule::kFieldWidth, ZapModule::kFieldHeight);
const QRect kStartButton = ToQRect(ZapModule::kStartButtonRect);
const QRect kQuitButton = ToQRect(ZapModule::kQuitButtonRect);
// The part of a screen button that holds its lamp, left of a groove; the pressed picture covers
// only this part, so both buttons keep their captions while pressed.
constexpr int kLampPartWidth = 19;
// The windows the screen writes its labels into: the name, then Level, Balls and IQ.
const QRect kLabelWindows[] = {
    {518, 13, 141, 39}, {518, 57, 141, 39}, {518, 104, 141, 39}, {518, 151, 141, 39}};
const QColor kBackground(64, 64, 64);
const QColor kTrace(76, 78, 80);

QFont CaptionFont(int pixels) {
    QFont font("DejaVu Sans");
    font.setPixelSize(pixels);
    font.setBold(true);
    return font;
}

// A rectangle outline one pixel wide: `light` on top and left, `dark` on bottom and right.
void Bevel(QPainter& p, const QRect& r, const QColor& light, const QColor& dark) {
    p.setPen(light);
    p.drawLine(r.left(), r.top(), r.right(), r.top());
    p.drawLine(r.left(), r.top(), r.left(), r.bottom());
    p.setPen(dark);
    p.drawLine(r.left(), r.bottom(), r.right(), r.bottom());
    p.drawLine(r.right(), r.top(), r.right(), r.bottom());
}

// Faint copper traces ending in pads, kept off the field, the label windows and the buttons.
void CircuitTexture(QPainter& p) {
    QRegion allowed(0, 0, kScreenW, kScreenH);
    allowed -= QRegion(kField.adjusted(-6, -6, 6, 6));
    allowed -= QRegion(QRect(514, 8, 149, 186));
    allowed -= QRegion(QRect(560, 340, 100, 114));
    p.setClipRegion(allowed);
    SeededRandom random(7);
    const QPoint steps[] = {{1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}, {0, -1}, {1, -1}};
    for (int trace = 0; trace < 150; ++trace) {
        QPoint at(random.Below(kScreenW / 6) * 6, random.Below(kScreenH / 6) * 6);
        int dir = random.Below(4) * 2;  // start straight, turn by 45 degrees on the way
        p.setPen(kTrace);
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(at, 2, 2);
        const int legs = 2 + random.Below(3);
        for (int leg = 0; leg < legs; ++leg) {
            const QPoint to = at + steps[dir] * (6 * (1 + random.Below(5)));
            p.drawLine(at, to);
            at = to;
            dir = (dir + (random.Below(2) ? 1 : 7)) % 8;
        }
        p.setBrush(kTrace);
        p.drawRect(at.x() - 1, at.y() - 1, 3, 3);
    }
    p.setClipping(false);
}

void FieldFrame(QPainter& p) {
    // Four metal rings around the field, darkest next to it, so the black field stands out.
    const QColor rings[] = {QColor(30, 32, 36), QColor(92, 98, 108), QColor(132, 138, 148),
                            QColor(46, 50, 56)};
    for (int i = 0; i < 4; ++i) {
        const QRect r = kField.adjusted(-1 - i, -1 - i, i, i);
        p.setPen(rings[i]);
        p.setBrush(Qt::NoBrush);
        p.drawRect(r);
    }
    Bevel(p, kField.adjusted(-5, -5, 4, 4), QColor(150, 156, 166), QColor(24, 26, 30));
}

void LabelWindows(QPainter& p) {
    // A dark plate under the labels, then a sunken window per label, black enough for red text.
    p.fillRect(QRect(515, 9, 147, 185), QColor(40, 40, 42));
    Bevel(p, QRect(515, 9, 147, 185), QColor(28, 28, 30), QColor(96, 96, 100));
    for (const QRect& w : kLabelWindows) {
        p.fillRect(w, QColor(10, 10, 12));
        Bevel(p, w, QColor(4, 4, 4), QColor(86, 86, 90));
    }
}

void ButtonFace(QPainter& p, const QRect& r, bool pressed) {
    QLinearGradient g(0, r.top(), 0, r.bottom());
    g.setColorAt(0, pressed ? QColor(58, 60, 66) : QColor(122, 128, 138));
    g.setColorAt(1, pressed ? QColor(74, 78, 86) : QColor(78, 82, 92));
    p.fillRect(r, g);
    p.setPen(QColor(16, 16, 18));
    p.setBrush(Qt::NoBrush);
    p.drawRect(r.adjusted(0, 0, -1, -1));
    const QRect inner = r.adjusted(1, 1, -2, -2);
    if (pressed) {
        Bevel(p, inner, QColor(26, 26, 30), QColor(110, 114, 122));
    } else {
        Bevel(p, inner, QColor(196, 200, 208), QColor(44, 46, 52));
        Bevel(p, inner.adjusted(1, 1, -1, -1), QColor(150, 156, 166), QColor(62, 66, 74));
    }
}

// A small round lamp on the button's left: lit while the button is held.
void Lamp(QPainter& p, QPointF centre, const QColor& colour, bool lit) {
    Smooth(p);
    QRadialGradient g(centre - QPointF(1, 1), 4);
    g.setColorAt(0, lit ? Qt::white : Scale(colour, 0.9));
    g.setColorAt(0.6, lit ? colour : Scale(colour, 0.45));
    g.setColorAt(1, Scale(colour, lit ? 0.6 : 0.25));
    p.setPen(QColor(20, 20, 22));
    p.setBrush(g);
    p.drawEllipse(centre, 3.5, 3.5);
    p.setRenderHint(QPainter::Antialiasing, false);
}

void ScreenButton(QPainter& p, const QRect& r, const QString& caption, const QColor& lamp) {
    ButtonFace(p, r, false);
    const int groove = r.left() + kLampPartWidth;
    p.setPen(QColor(44, 46, 52));
    p.drawLine(groove, r.top() + 4, groove, r.bottom() - 4);
    p.setPen(QColor(170, 176, 186));
    p.drawLine(groove + 1, r.top() + 4, groove + 1, r.bottom() - 4);
    Lamp(p, QPointF(r.left() + 11.5, r.center().y() + 1.0), lamp, false);
    p.setFont(CaptionFont(14));
    const QRect text = r.adjusted(18, 0, -4, 0);
    p.setPen(QColor(30, 30, 34));
    p.drawText(text.translated(1, 1), Qt::AlignCenter, caption);
    p.setPen(QColor(240, 240, 236));
    p.drawText(text, Qt::AlignCenter, caption);
}

void Wordmark(QPainter& p) {
    p.setFont(CaptionFont(20));
    const QRect r(515, 214, 147, 30);
    p.setPen(QColor(34, 34, 36));
    p.drawText(r.translated(1, 1), Qt::AlignCenter, "ZAPWALL");
    p.setPen(QColor(120, 124, 130));
    p.drawText(r, Qt::AlignCenter, "ZAPWALL");
    // A processor under the name, its pins fanning out into the board.
    const QRect chip(565, 262, 48, 48);
    for (int i = 0; i < 6; ++i) {
        const int o = 6 + i * 7;
        p.setPen(QColor(96, 98, 102));
        p.drawLine(chip.left() + o, chip.top() - 5, chip.left() + o, chip.top() - 1);
        p.drawLine(chip.left() + o, chip.bottom() + 1, chip.left() + o, chip.bottom() + 5);
        p.drawLine(chip.left() - 5, chip.top() + o, chip.left() - 1, chip.top() + o);
        p.drawLine(chip.right() + 1, chip.top() + o, chip.right() + 5, chip.top() + o);
    }
    p.fillRect(chip, QColor(36, 38, 42));
    Bevel(p, chip, QColor(84, 86, 92), QColor(20, 20, 22));
    p.fillRect(chip.adjusted(12, 12, -12, -12), QColor(52, 54, 60));
    Bevel(p, chip.adjusted(12, 12, -12, -12), QColor(24, 24, 26), QColor(90, 92, 98));
}

}  // namespace

QImage GameScreen() {
    QImage screen = NewPicture(kScreenW, kScreenH, kBackground);
    QPainter p(&screen);
    CircuitTexture(p);
    p.fillRect(kField, Qt::black);
    FieldFrame(p);
    LabelWindows(p);
    Wordmark(p);
    // A recessed plate holding the two buttons.
    const QRect plate(562, 341, 97, 112);
    p.fillRect(plate, QColor(46, 46, 48));
    Bevel(p, plate, QColor(30, 30, 32), QColor(100, 100, 104));
    ScreenButton(p, kStartButton, "Start", QColor(60, 220, 90));
    ScreenButton(p, kQuitButton, "Konec", QColor(230, 60, 50));
    return screen;
}

QImage PressedButton() {
    // The same picture serves both buttons, so it covers only the lamp part: that part sinks in
    // and its lamp lights amber, while the caption beside it stays readable.
    QImage button = NewPicture(kLampPartWidth, kStartButton.height());
    QPainter p(&button);
    const QRect r(0, 0, kLampPartWidth, kStartButton.height());
    ButtonFace(p, r, true);
    Lamp(p, QPointF(12.5, r.center().y() + 2.0), QColor(255, 176, 40), true);
    return button;
}

}  // namespace ZapAssets
