// SPDX-License-Identifier: GPL-3.0-or-later
#include "frontend/game_screen.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>

#include "frontend/surface_image.h"
#include "game/input.h"
#include "game/screen_texts.h"
#include "model/version.h"
#include "shell/paused_sign.h"
#include "values/rounding.h"

namespace ZapModule {

GameScreen::GameScreen(GameState& s) : s_(s) {
    SetUpFixedWindow(this, TextOf(kGameScreenCaption), kDesign.width(), kDesign.height());
    setAttribute(Qt::WA_OpaquePaintEvent);
    field_ = new FieldView(s, this);
    field_->Place(scale_, kFieldDesign);
    setFocusProxy(field_);

    const Qt::Alignment centred = Qt::AlignHCenter;
    using namespace GameScreenDesign;
    label1_[3] =
        new ActiveLabel(this, PlaceOf(kName), TextOf(kNameText), kDarkRed, centred, BigFont());
    label1_[3]->SetSqueezeToFit(true);
    // Level, Balls and IQ are Label1(2), (0) and (1).
    constexpr std::array<int, 3> kValueLabels = {2, 0, 1};
    for (size_t i = 0; i < kValueLabels.size(); ++i) {
        new ActiveLabel(this, PlaceOf(kCaptions[i]), TextOf(kCaptionTexts[i]), kDarkRed,
                        Qt::AlignLeft);
        label1_[kValueLabels[i]] = new ActiveLabel(this, PlaceOf(kValues[i]), TextOf(kValueText),
                                                   kDarkRed, centred, BigFont());
    }

    const std::array<QColor, 3> messageColours = {QColor(255, 0, 0), QColor(192, 0, 0),
                                                  QColor(128, 0, 0)};
    for (int i = 0; i < 3; ++i) {
        const auto n = static_cast<size_t>(i);
        label3_[i] = new ActiveLabel(field_, PlaceOf(kMessages[n]), TextOf(kBetweenLevelTexts[n]),
                                     messageColours[n], centred, BigFont());
        label3_[i]->setWordWrap(true);
        label3_[i]->hide();
    }
    pausedSign_ = new ActiveLabel(
        field_,
        {kPausedPlace.Left, kPausedPlace.Top, kPausedPlace.Right - kPausedPlace.Left,
         kPausedPlace.Bottom - kPausedPlace.Top},
        TextOf(kPausedText), QColor::fromRgb(kPausedColour), centred, BigFont());
    pausedSign_->SetBorder(QColor::fromRgb(kPausedColour));
    pausedSign_->setAutoFillBackground(true);
    QPalette black = pausedSign_->palette();
    black.setColor(QPalette::Window, Qt::black);
    pausedSign_->setPalette(black);
    pausedSign_->setAttribute(Qt::WA_TransparentForMouseEvents);
    pausedSign_->hide();
    field_->KeyDelivered = [this] {
        ShowPause();
        if (InputDelivered) InputDelivered();
    };
    // Every control keeps its design (the scale is one until the window is fitted to a screen);
    // the field places itself.
    layout_.Remember(this, {field_});
    layout_.Forget(field_);
    field_->PaintUnder = [this](QPainter& painter) { PaintPicture(painter); };
    // Fitted first with an estimate of the window manager's frame; with the real one a larger
    // factor may fit, or a smaller one be needed.
    OnFrameKnown(this, [this] {
        if (isFullScreen()) return;
        const int factor = scale_.Factor;
        FitToScreen();
        if (scale_.Factor != factor) CentreOnScreen(this);
    });
}

void GameScreen::FitToScreen() {
    const qreal ratio = devicePixelRatioF();
    const QScreen* screen = this->screen();
    if (screen == nullptr) return;
    if (isFullScreen()) {
        LetGrow();  // also when the window manager made it full screen
        // The window manager makes the window as large as the screen, or leaves it (none runs).
        scale_ = FullScreenScale(kDesign, size(), ratio);
    } else {
        scale_ =
            WindowedScale(kDesign, screen->availableGeometry().size(), FrameMargins(this), ratio);
        SetFixedClientSize(this, scale_.Cover(QRect(QPoint(0, 0), kDesign)).size());
    }
    Relayout();
    update();
}

void GameScreen::SetFullScreen(bool on) {
    if (on == isFullScreen()) return;
    if (on) LetGrow();
    setWindowState(on ? windowState() | Qt::WindowFullScreen
                      : windowState() & ~Qt::WindowFullScreen);
}

void GameScreen::LetGrow() {
    // A window of fixed size may not be made larger, full screen neither.
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
}

void GameScreen::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (isFullScreen()) FitToScreen();
}

void GameScreen::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Moved to a screen of another scale, the window is fitted to it.
    if (!watchingScreen_ && windowHandle() != nullptr) {
        watchingScreen_ = true;
        connect(windowHandle(), &QWindow::screenChanged, this, [this] { FitToScreen(); });
    }
}

void GameScreen::Relayout() {
    field_->Place(scale_, kFieldDesign);
    layout_.Apply(scale_);
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
    const Surface* sprite = PressedButtonPicture(s_);
    if (sprite == nullptr) return;
    const Rect& button = s_.ButtonRects[index];
    QPainter painter(&shown_);
    painter.drawImage(QPoint(button.Left, button.Top), ImageOf(*sprite));
    pressedShown_[index] = true;
    update(scale_.Cover(QRect(button.Left, button.Top, sprite->Width(), sprite->Height())));
}

void GameScreen::RefreshField() {
    field_->Refresh();
}

void GameScreen::ShowPause() {
    const bool paused = s_.Paused == kTrue;
    if (paused != pausedSign_->isHidden()) return;
    pausedSign_->setVisible(paused);
    // The field is shown anew, by Qt while the sign lies over it; its picture stays as it was.
    field_->Refresh();
}

void GameScreen::Unload() {
    if (OnClose) OnClose();
    hide();
}

void GameScreen::PaintPicture(QPainter& painter) const {
    const QRectF place = scale_.Place(QRect(QPoint(0, 0), kDesign));
    painter.fillRect(place, kDarkGrey);
    // Without smooth transformation every picture pixel is a sharp block of whole pixels.
    if (!shown_.isNull()) painter.drawImage(place, shown_);
}

void GameScreen::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), isFullScreen() ? QColor(Qt::black) : kDarkGrey);
    PaintPicture(painter);
}

void GameScreen::keyPressEvent(QKeyEvent* event) {
    // The field passes on the keys the game does not use.
    if (event->key() == Qt::Key_F11 && !event->isAutoRepeat()) {
        SetFullScreen(!isFullScreen());
        return;
    }
    QWidget::keyPressEvent(event);
}

void GameScreen::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange || isFullScreen() == fullScreen_) return;
    fullScreen_ = isFullScreen();
    FitToScreen();
    // Out of full screen, the window is where it was first shown, not in the corner the full
    // screen left it in with its title bar off the screen.
    if (!fullScreen_) CentreOnScreen(this);
    if (OnFullScreenChanged) OnFullScreenChanged(fullScreen_);
}

void GameScreen::mousePressEvent(QMouseEvent* event) {
    // A press on the black around the full screen's picture is not on the game screen.
    const QPointF game = scale_.ToGame(event->position());
    if (QRectF(QPointF(0, 0), kDesign).contains(game)) {
        ScreenMouseDown(s_, RoundToInt32(game.x()), RoundToInt32(game.y()));
        if (InputDelivered) InputDelivered();
    }
    field_->setFocus(Qt::OtherFocusReason);
}

void GameScreen::closeEvent(QCloseEvent* event) {
    if (OnClose) OnClose();
    event->accept();
}

}  // namespace ZapModule
