#include "frontend/game_screen.h"

#include <QCloseEvent>
#include <QMouseEvent>
#include <QPainter>

#include "game/input.h"
#include "game/screen_texts.h"
#include "game/contract/rounding.h"

namespace ZapModule {

namespace {

constexpr int kPressedButtonSprite = 12;

QImage ImageOf(const Surface& surface) {
    if (surface.Empty()) return {};
    return QImage(reinterpret_cast<const uchar*>(surface.Bits()), surface.Width(), surface.Height(),
                  surface.Width() * 4, QImage::Format_RGB32);
}

}  // namespace

GameScreen::GameScreen(GameState& s) : s_(s) {
    SetUpFixedWindow(this, QStringLiteral("V.E.X Zapwall v1.41"), 663, 510);
    setAttribute(Qt::WA_OpaquePaintEvent);
    field_ = new FieldView(s, this);
    setFocusProxy(field_);

    const Qt::Alignment centred = Qt::AlignHCenter;
    label1_[3] = new ActiveLabel(this, {520, 16, 137, 33}, "NoBrain", kDarkRed, centred, BigFont());
    label1_[3]->SetSqueezeToFit(true);
    new ActiveLabel(this, {520, 64, 33, 17}, "Level:", kDarkRed, Qt::AlignLeft);
    label1_[2] = new ActiveLabel(this, {520, 60, 137, 33}, "0", kDarkRed, centred, BigFont());
    new ActiveLabel(this, {520, 112, 33, 17}, "Balls:", kDarkRed, Qt::AlignLeft);
    label1_[0] = new ActiveLabel(this, {520, 107, 137, 33}, "0", kDarkRed, centred, BigFont());
    new ActiveLabel(this, {520, 160, 33, 17}, "IQ:", kDarkRed, Qt::AlignLeft);
    label1_[1] = new ActiveLabel(this, {520, 154, 137, 33}, "0", kDarkRed, centred, BigFont());

    const struct {
        QRect Place;
        QColor Colour;
    } messages[3] = {
        {{96, 104, 297, 25}, QColor(255, 0, 0)},
        {{96, 152, 297, 49}, QColor(192, 0, 0)},
        {{96, 232, 297, 25}, QColor(128, 0, 0)},
    };
    for (int i = 0; i < 3; ++i) {
        const std::string_view text = kBetweenLevelTexts[static_cast<size_t>(i)];
        label3_[i] = new ActiveLabel(field_, messages[i].Place,
                                     QString::fromUtf8(text.data(), qsizetype(text.size())),
                                     messages[i].Colour, centred, BigFont());
        label3_[i]->setWordWrap(true);
        label3_[i]->hide();
    }
}

void GameScreen::SetBackground(const Surface& picture) {
    picture_ = ImageOf(picture).copy();
    ReloadBackground();
}

void GameScreen::ReloadBackground() {
    shown_ = picture_.isNull() ? QImage() : picture_.copy();
    pressedShown_ = {false, false};
    update();
}

void GameScreen::DrawButtonPressed(int index) {
    // The sprite lands on the same pixels every step: draw it once until the next reload.
    if (index < 0 || index > 1 || pressedShown_[index] || shown_.isNull()) return;
    if (s_.SpriteCount() <= kPressedButtonSprite) return;
    const Surface& sprite = s_.Sprites[kPressedButtonSprite].Pixels;
    if (sprite.Empty()) return;
    const Rect& button = s_.ButtonRects[index];
    QPainter painter(&shown_);
    painter.drawImage(QPoint(button.Left, button.Top), ImageOf(sprite));
    pressedShown_[index] = true;
    update(button.Left, button.Top, sprite.Width(), sprite.Height());
}

void GameScreen::RefreshField() {
    field_->Refresh();
}

void GameScreen::Unload() {
    if (OnClose) OnClose();
    hide();
}

void GameScreen::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), kDarkGrey);
    if (!shown_.isNull()) painter.drawImage(event->rect(), shown_, event->rect());
}

void GameScreen::mousePressEvent(QMouseEvent* event) {
    ScreenMouseDown(s_, RoundToInt32(event->position().x()), RoundToInt32(event->position().y()));
    field_->setFocus(Qt::OtherFocusReason);
}

void GameScreen::closeEvent(QCloseEvent* event) {
    if (OnClose) OnClose();
    event->accept();
}

}  // namespace ZapModule
