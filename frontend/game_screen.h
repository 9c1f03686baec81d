// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Form1, the game screen: the background picture with its two screen buttons, the field with the
// three messages shown between levels, and the labels for the player, level, balls and IQ. The
// whole screen is drawn at one whole factor (ScreenScale), in a window that fits the screen or
// full screen (F11), black around it.

#include <QImage>
#include <QWidget>
#include <array>
#include <functional>

#include "frontend/field_view.h"
#include "frontend/look.h"
#include "frontend/scaled_layout.h"
#include "frontend/screen_scale.h"
#include "model/screen_geometry.h"
#include "model/state.h"

namespace ZapModule {

class GameScreen : public QWidget {
  public:
    explicit GameScreen(GameState& s);

    // The screen's size in game pixels.
    static constexpr QSize kDesign{kScreenWidth, kScreenHeight};
    // The field's place on it.
    static constexpr QRect kFieldDesign{kFieldLeftOnScreen, kFieldTopOnScreen, kFieldWidth,
                                        kFieldHeight};
    // Scales and sizes the window for its screen: in a frame, the nearest whole factor that
    // fits; full screen, the largest whole factor that fits.
    void FitToScreen();
    // Shows the screen full screen, or in its frame again.
    void SetFullScreen(bool on);
    const ScreenScale& Scale() const { return scale_; }
    // The window went full screen or back (F11 or the window manager's own command).
    std::function<void(bool fullScreen)> OnFullScreenChanged;
    // A key or a press of the player reached the rules (it may have ended a pause).
    std::function<void()> InputDelivered;

    // The picture gui; the screen keeps it to wipe the pressed buttons with.
    void SetBackground(const Surface& picture);
    // Shows the picture again, without pressed buttons.
    void ReloadBackground();
    // Draws the pressed-button sprite (sprite 12) over screen button 0 or 1.
    void DrawButtonPressed(int index);
    // Makes the field's latest picture visible at once.
    void RefreshField();
    // Shows the sign of a paused game over the field while the game is paused, hides it
    // otherwise (after each key the field hands to the rules, and whenever else the pause may
    // have changed).
    void ShowPause();

    FieldView* Field() { return field_; }
    ActiveLabel* Label1(int index) { return label1_.at(static_cast<size_t>(index)); }
    ActiveLabel* Label3(int index) { return label3_.at(static_cast<size_t>(index)); }
    // What the window shows now, pressed buttons included (without the field and labels).
    const QImage& Background() const { return shown_; }

    // Unloads the screen: its close handler runs, then the window goes.
    void Unload();
    // The close handler: runs when the window is closed by any means.
    std::function<void()> OnClose;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    // Lifts the fixed size of the framed window.
    void LetGrow();
    // Puts every control at its place and font size for the current scale.
    void Relayout();
    // The background picture with the pressed buttons, at the current scale.
    void PaintPicture(QPainter& painter) const;

    GameState& s_;
    ScreenScale scale_;
    ScaledLayout layout_;
    bool fullScreen_ = false;
    bool watchingScreen_ = false;
    FieldView* field_;
    std::array<ActiveLabel*, 4> label1_{};
    std::array<ActiveLabel*, 3> label3_{};
    ActiveLabel* pausedSign_;
    QImage picture_;  // the picture as loaded
    QImage shown_;    // the picture with the pressed buttons drawn over it
    std::array<bool, 2> pressedShown_{false, false};
};

}  // namespace ZapModule
