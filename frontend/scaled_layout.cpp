// SPDX-License-Identifier: GPL-3.0-or-later
#include "frontend/scaled_layout.h"

#include <QScreen>
#include <algorithm>

#include "frontend/look.h"

namespace ZapModule {

void ScaledLayout::Remember(QWidget* window, std::initializer_list<QWidget*> containers) {
    window_ = window;
    std::vector<QWidget*> parents{window};
    parents.insert(parents.end(), containers);
    for (QWidget* parent : parents)
        for (QWidget* control : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            controls_.push_back({control,
                                 QRect(control->mapTo(window, QPoint(0, 0)), control->size()),
                                 control->font()});
}

void ScaledLayout::Forget(const QWidget* widget) {
    std::erase_if(controls_, [&](const Control& c) { return c.Widget == widget; });
}

void ScaledLayout::Apply(const ScreenScale& scale) const {
    // The window's children come first, so each container has its place before its controls.
    for (const Control& control : controls_) {
        QFont font = control.Font;
        font.setPointSizeF(control.Font.pointSizeF() * scale.Logical());
        control.Widget->setFont(font);
        const QPoint parent = control.Widget->parentWidget()->mapTo(window_, QPoint(0, 0));
        control.Widget->setGeometry(scale.Near(control.Design).translated(-parent));
    }
}

ScreenScale FitFramedWindow(QWidget* window, QSize design, const ScaledLayout& layout) {
    const QScreen* screen = window->screen();
    if (screen == nullptr) return {};
    const ScreenScale scale = WindowedScale(design, screen->availableGeometry().size(),
                                            FrameMargins(window), window->devicePixelRatioF());
    SetFixedClientSize(window, scale.Cover(QRect(QPoint(0, 0), design)).size());
    layout.Apply(scale);
    return scale;
}

}  // namespace ZapModule
