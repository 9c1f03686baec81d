// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The looks the three windows share: their fonts, colours, fixed-size frames and the labels that
// make up most of their controls.

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QMargins>
#include <QPlainTextEdit>
#include <QRect>
#include <QString>
#include <functional>
#include <string_view>
#include <vector>

#include "shell/window_design.h"

namespace ZapModule {

// A place and a text of the windows' design (shell/window_design.h) as Qt takes them.
inline QRect PlaceOf(const Box& box) {
    return {box.Left, box.Top, box.Width, box.Height};
}
inline QString TextOf(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// 13.5 pt "MS Sans Serif". Where that font is missing, Liberation Sans Narrow stands in: it has
// every Central European letter and was the narrowest of the Debian-packaged sans fonts measured
// (DejaVu Sans and its Condensed, Liberation Sans, Arimo, Noto Sans, FreeSans), so ordinary
// names of eight letters fit the hall of fame's cells and the game screen's name label.
QFont BigFont();
// The default dialog font: 8 pt of the same family.
QFont DialogFont();

inline const QColor kRed(255, 0, 0);
inline const QColor kDarkRed(192, 0, 0);
inline const QColor kGreen(0, 192, 0);
inline const QColor kYellow(255, 255, 0);
inline const QColor kDarkGrey(64, 64, 64);
// A colour the rules give as 0xRRGGBB.
inline QColor ColourOf(uint32_t rgb) {
    return QColor::fromRgb(rgb);
}

// Makes `window` a top-level window with a caption, a fixed client area, a close control and no
// minimise or maximise control.
void SetUpFixedWindow(QWidget* window, const QString& caption, int width, int height);
// Fixes the size of a top-level window (logical pixels). Under a scale factor Qt asks the window
// manager to size the window in steps of one logical pixel, rounded to whole screen pixels (2 at
// 1.5), counted from a base size of 0: an odd width would lose a pixel. The window's size is
// made the base size too, from which every size it may take is whole steps.
void SetFixedClientSize(QWidget* window, QSize size);
// The frame the window manager draws around a top-level window, in logical pixels: as it is
// once the window has been shown, or as most window managers draw it (a title bar and thin
// borders, in screen pixels, which a scale factor of Qt's own does not enlarge) before.
QMargins FrameMargins(const QWidget* window);
// Whether FrameMargins gives the window manager's real frame, not the estimate.
bool FrameKnown(const QWidget* window);
// Runs `refit` once, when the real frame around `window` first becomes known (after it is
// shown), for a window sized and placed with the estimate.
void OnFrameKnown(QWidget* window, std::function<void()> refit);
// Moves a top-level window, with its frame, to the centre of its screen's free area, its title
// bar on that area. Before the window is shown, with the estimated frame, and once the real one
// is known, again with that.
void CentreOnScreen(QWidget* window);
// Background and text colours of a control through its palette.
void SetColours(QWidget* control, const QColor& text, const QColor& background);
// Sizes the font of a text box so that its whole text shows without scrolling: where the text
// runs past the box's bottom in its font (a fallback font wider than the designed one), in the
// largest smaller size in which it fits, in quarter points down to half the size; a text that
// fits keeps the font. For a box that is placed, holds its text and is not yet scaled.
void FitTextToBox(QPlainTextEdit* box);

// A label as the windows' designs describe them: text at the top of its box (as the labels of
// the original platform draw it), transparent unless a background is given, and an optional
// reaction to the mouse.
class ActiveLabel : public QLabel {
  public:
    ActiveLabel(QWidget* parent, const QRect& place, const QString& text, const QColor& colour,
                Qt::Alignment alignment, const QFont& font = DialogFont());

    void SetTextColour(const QColor& colour);
    QColor TextColour() const;
    // Draws a one-pixel border of this colour around the label.
    void SetBorder(const QColor& colour);
    // A text wider than the label's room is drawn narrowed to fit, never cut off (for names).
    void SetSqueezeToFit(bool on);
    // The horizontal scale the text is drawn at: 1 unless it is narrowed to fit.
    qreal TextSqueeze() const;

    // A mouse button went down over the label.
    std::function<void(Qt::MouseButton)> OnPress;
    // The mouse moved over the label (setting this turns mouse tracking on).
    void SetOnMove(std::function<void()> handler);
    // The left button was pressed and released over the label.
    std::function<void()> OnClick;
    // Lets the label take the keyboard focus (by Tab, or given, not by the mouse) and runs
    // `handler` on Enter or Space while it has it, as a button does. A key still held from before
    // (repeating) does not.
    void SetOnKeyPress(std::function<void()> handler);
    // The label got the keyboard focus.
    std::function<void()> OnFocusIn;

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    // The part of the label the text may cover: inside the indent and the border, with a pixel
    // to spare before the border.
    QRectF TextRoom() const;

    std::function<void()> onMove_;
    std::function<void()> onKeyPress_;
    QColor border_;
    bool leftDown_ = false;
    bool squeezeToFit_ = false;
};

// A black panel that fills a window and carries its rectangle outlines and lines, drawn under
// the controls placed on it.
class Panel : public QWidget {
  public:
    Panel(QWidget* window, const QRect& place);

    // Adds a one-pixel rectangle outline and returns its number.
    int AddOutline(const QRect& place, const QColor& colour);
    void SetOutlineColour(int outline, const QColor& colour);
    QColor OutlineColour(int outline) const;
    void AddLine(const QPoint& from, const QPoint& to, const QColor& colour);
    // Draws a one-pixel outline of this colour just outside `control` (a child of the panel)
    // while it has the keyboard focus, for controls whose own focus mark would not show.
    void MarkFocusOf(QWidget* control, const QColor& colour);
    // Logical pixels per designed pixel of the outlines and lines (the window's scale).
    void SetScale(qreal scale);

  protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct Shape {
        QRect Place;
        QColor Colour;
    };
    struct Line {
        QPoint From, To;
        QColor Colour;
    };
    struct FocusMark {
        QWidget* Control;
        QColor Colour;
    };
    static QRect AroundControl(const QWidget* control);
    // Where a designed rectangle lies on the panel at its scale.
    QRect Scaled(const QRect& design) const;

    std::vector<Shape> outlines_;
    std::vector<Line> lines_;
    std::vector<FocusMark> focusMarks_;
    qreal scale_ = 1;
};

}  // namespace ZapModule
