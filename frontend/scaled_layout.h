// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The controls of a window designed in game pixels, put at their places and font sizes for a
// ScreenScale: every window is drawn at one whole factor that fits its screen (screen_scale.h).

#include <QFont>
#include <QRect>
#include <QWidget>
#include <initializer_list>
#include <vector>

#include "frontend/screen_scale.h"

namespace ZapModule {

class ScaledLayout {
  public:
    // Remembers, as they are now (designed, unscaled), the window's children and those of the
    // `containers` among them: each one's place in the window and its font.
    void Remember(QWidget* window, std::initializer_list<QWidget*> containers = {});
    // Leaves out a widget that places itself.
    void Forget(const QWidget* widget);
    // Puts every control at its place and font size for the scale.
    void Apply(const ScreenScale& scale) const;

  private:
    struct Control {
        QWidget* Widget;
        QRect Design;
        QFont Font;
    };
    QWidget* window_ = nullptr;
    std::vector<Control> controls_;
};

// Scales and sizes a window in a frame for its screen (the nearest whole factor that fits),
// places its controls and returns the scale.
ScreenScale FitFramedWindow(QWidget* window, QSize design, const ScaledLayout& layout);

}  // namespace ZapModule
