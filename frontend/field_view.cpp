// SPDX-License-Identifier: GPL-3.0-or-later
#include "frontend/field_view.h"

#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWindow>
#include <algorithm>
#include <cmath>
#include <vector>

#include "frontend/surface_image.h"
#include "frontend/wayland_field_output.h"
#include "frontend/x11_field_output.h"
#include "game/input.h"

namespace ZapModule {

namespace {

QRegion RegionOf(const FieldTiles& tiles) {
    std::vector<QRect> rects;
    for (const Rect& r : tiles.Rects())
        rects.emplace_back(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top);
    QRegion region;
    region.setRects(rects.data(), static_cast<int>(rects.size()));
    return region;
}

}  // namespace

FieldView::FieldView(GameState& s, QWidget* parent)
    : QWidget(parent),
      s_(s),
      keys_([this](bool down, int code) {
          steering_.PlayerKey(down, code);
          Deliver(down, code);
      }),
      steering_([this](bool down, int code) {
          // A player's release still waiting for its repeat goes first, as it came first.
          keys_.Flush();
          Deliver(down, code);
      }) {
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    // Every pixel is painted on every refresh.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void FieldView::Deliver(bool down, int code) {
    if (down)
        FieldKeyDown(s_, code);
    else
        FieldKeyUp(s_, code);
    if (KeyDelivered) KeyDelivered();
}

int FieldView::KeyCode(int qtKey) {
    switch (qtKey) {
        case Qt::Key_Escape:
            return kKeyEscape;
        case Qt::Key_Space:
            return kKeySpace;
        case Qt::Key_Up:
            return kKeyUp;
        case Qt::Key_Down:
            return kKeyDown;
        case Qt::Key_P:
            return kKeyP;
        default:
            return 0;
    }
}

void FieldView::Place(const ScreenScale& scale, const QRect& design) {
    const QRect cover = scale.Cover(design);
    setGeometry(parentWidget() ? cover.translated(-parentWidget()->mapTo(window(), QPoint(0, 0)))
                               : cover);
    picture_ = scale.Place(design).translated(-QPointF(cover.topLeft()));
    oneToOne_ = scale.OneToOne() && picture_ == QRectF(rect());
    outputFactor_ = scale.Logical() == 1 && picture_ == QRectF(rect()) ? scale.Factor : 0;
    // Qt paints the whole field at its new place, and shows it until the next refresh: the
    // output's picture, left at the old place and size, is taken away.
    if (output_) output_->Withdraw();
    update();
}

void FieldView::Refresh() {
    if (ShowPastQt()) return;
    // On a scaled screen the field's pixels do not fall on the widget's own, and Qt's copy of
    // the field may be older than what an output showed: then all of it is repainted.
    refreshing_ = true;
    if (oneToOne_ && !qtCopyOld_)
        repaint(RegionOf(damage_.ToUpdate(s_.Field)));
    else
        repaint();
    refreshing_ = false;
    // What Qt painted is what must be seen now.
    if (output_) output_->Withdraw();
}

bool FieldView::ShowPastQt() {
    // An output shows each field pixel as a block of the window's own buffer pixels, not at a
    // fraction of one; it cannot draw the messages that lie over the field between levels.
    if (outputFactor_ == 0 || devicePixelRatioF() != outputFactor_ || !isVisible() ||
        s_.Field.Width() != kFieldWidth || s_.Field.Height() != kFieldHeight)
        return false;
    for (const QObject* child : children())
        if (child->isWidgetType() && static_cast<const QWidget*>(child)->isVisible()) return false;
    if (!outputTried_) {
        outputTried_ = true;
        output_ = OpenX11FieldOutput(window());
        if (!output_) output_ = OpenWaylandFieldOutput(window());
        // An exposed window is shown from Qt's copy: it must hold the field first.
        if (output_) window()->windowHandle()->installEventFilter(this);
    }
    if (!output_ || !output_->Show(s_.Field, mapTo(window(), QPoint(0, 0)), outputFactor_,
                                   damage_.ToUpdate(s_.Field)))
        return false;
    damage_.ShownWhole(s_.Field);
    qtCopyOld_ = true;
    return true;
}

bool FieldView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Expose && qtCopyOld_ && !output_->CoversQtCopy()) update();
    return QWidget::eventFilter(watched, event);
}

void FieldView::paintEvent(QPaintEvent* event) {
    const bool all = QRegion(rect()).subtracted(event->region()).isEmpty();
    if (output_) {
        // What Qt paints beneath the output's picture leaves that picture as it was.
        if (!output_->CoversQtCopy()) output_->Forget();
        qtCopyOld_ = qtCopyOld_ && !all;
    }
    QPainter painter(this);
    if (s_.Field.Width() != kFieldWidth || s_.Field.Height() != kFieldHeight) {
        painter.fillRect(rect(), Qt::black);
        return;
    }
    // The surface's own pixels, wrapped: nothing is copied.
    const QImage field = ImageOf(s_.Field);
    if (oneToOne_ && devicePixelRatioF() == 1.0) {
        // One plain copy per rectangle of the region, from the surface to the window.
        for (const QRect& r : event->region()) painter.drawImage(r.topLeft(), field, r);
    } else {
        // The widget's edge beyond the field's screen pixels shows the frame beneath.
        if (PaintUnder && picture_ != QRectF(rect())) {
            painter.save();
            const QRect inside(QPoint(static_cast<int>(std::ceil(picture_.left())),
                                      static_cast<int>(std::ceil(picture_.top()))),
                               QPoint(static_cast<int>(std::floor(picture_.right())) - 1,
                                      static_cast<int>(std::floor(picture_.bottom())) - 1));
            painter.setClipRegion(QRegion(rect()).subtracted(inside));
            painter.translate(-pos());
            PaintUnder(painter);
            painter.restore();
        }
        // Without smooth transformation each pixel becomes a sharp block of whole pixels.
        painter.drawImage(picture_, field);
    }
    if (refreshing_ || all)
        damage_.ShownWhole(s_.Field);
    else
        damage_.ShownPart(s_.Field);
}

void FieldView::keyPressEvent(QKeyEvent* event) {
    // A held key repeats its key-down, as the game expects (P toggles the pause on each).
    const int code = KeyCode(event->key());
    if (code == 0) {
        QWidget::keyPressEvent(event);
        return;
    }
    keys_.Press(code, event->timestamp(), event->isAutoRepeat());
}

void FieldView::keyReleaseEvent(QKeyEvent* event) {
    const int code = KeyCode(event->key());
    if (code == 0) {
        QWidget::keyReleaseEvent(event);
        return;
    }
    keys_.Release(code, event->timestamp(), event->isAutoRepeat(), event->nativeScanCode());
}

int FieldView::FieldRow(QPointF point) const {
    const double row = (point.y() - picture_.top()) * kFieldHeight / picture_.height();
    return std::clamp(static_cast<int>(row), 0, kFieldHeight - 1);
}

void FieldView::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    if (event->button() == Qt::LeftButton && picture_.contains(event->position()))
        steering_.Tap(FieldRow(event->position()));
}

void FieldView::mouseMoveEvent(QMouseEvent* event) {
    // The moves reach the field while the mouse is over it; one that leaves it (flung past the
    // field's bottom, say) leaves the bat its last height, which the bat still goes to.
    steering_.PointAt(FieldRow(event->position()));
}

bool FieldView::focusNextPrevChild(bool) {
    return false;
}

}  // namespace ZapModule
