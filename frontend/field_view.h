// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Form1's field Picture1(0): shows GameState::Field, the surface every game step draws, and
// forwards the five game keys to the rules. The surface is shown without an intermediate copy:
// each refresh copies only the pixels that can have changed straight from it to the window. On
// X11 and on Wayland a refresh goes past Qt's painting, through a FieldOutput, whenever nothing
// lies over the field and the output can show it at the screen's scale; Qt paints it otherwise.
// On a scaled screen each field pixel is a square block of whole screen pixels (ScreenScale)
// filling the field's frame in the background picture; where Qt paints it then, it paints the
// whole field at each refresh.
//
// The mouse steers the bat as the arrow keys do (PointerSteering): a click on the field is Space
// and hands the bat to the mouse; the bat goes to the height the mouse has, or last had, over the
// field, until an arrow key takes it back.

#include <QRectF>
#include <QWidget>
#include <functional>
#include <memory>

#include "frontend/field_output.h"
#include "frontend/held_keys.h"
#include "frontend/screen_scale.h"
#include "graphics/field_damage.h"
#include "model/state.h"
#include "shell/pointer_steering.h"

namespace ZapModule {

class FieldView : public QWidget {
  public:
    FieldView(GameState& s, QWidget* parent);

    // Makes the field surface's latest picture visible at once.
    void Refresh();

    // Places the field at `design` (game pixels of the parent window) at this scale. The widget
    // covers the field's whole logical pixels; where that reaches past the field's screen
    // pixels, PaintUnder paints what lies beneath (in the parent's coordinates).
    void Place(const ScreenScale& scale, const QRect& design);
    std::function<void(QPainter& painter)> PaintUnder;

    // The keys on their way to the rules (X11's repeats taken out).
    HeldKeys& Keys() { return keys_; }
    // Lets the mouse steer the bat in the coming step (call before each step).
    void SteerBat() { steering_.BeforeStep(s_); }
    // Called after each key reached the rules.
    std::function<void()> KeyDelivered;

    // The rules' key code of a Qt key (Esc 27, Space 32, Up 38, Down 40, P 80); 0 for keys the
    // game does not use.
    static int KeyCode(int qtKey);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Shows the field through the output when that can be done; false when Qt must paint it.
    bool ShowPastQt();
    // Hands a key to the rules.
    void Deliver(bool down, int code);
    // The field row at a point of the widget's, the nearest one for a point off the field.
    int FieldRow(QPointF point) const;

    GameState& s_;
    HeldKeys keys_;
    PointerSteering steering_;
    QRectF picture_;        // where the field's picture lies in the widget, logical pixels
    bool oneToOne_ = true;  // each field pixel is one pixel of the widget and of the screen
    // Screen pixels per field pixel (the device pixel ratio) when each field pixel is one
    // logical pixel of the widget; 0 otherwise, and no output can show the field.
    int outputFactor_ = 1;
    FieldDamage damage_;
    bool refreshing_ = false;
    std::unique_ptr<FieldOutput> output_;
    bool outputTried_ = false;
    // The window's copy in Qt's backing store lacks pixels the output showed: Qt must repaint
    // the field before it shows that copy again, unless the output's picture covers it.
    bool qtCopyOld_ = false;
};

}  // namespace ZapModule
