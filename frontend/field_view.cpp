#include "frontend/field_view.h"

#include <QImage>
#include <QKeyEvent>
#include <QPainter>

#include "game/input.h"

namespace ZapModule {

FieldView::FieldView(GameState& s, QWidget* parent) : QWidget(parent), s_(s) {
    setGeometry(16, 16, kFieldWidth, kFieldHeight);
    setFocusPolicy(Qt::StrongFocus);
    // Every pixel is painted on every refresh.
    setAttribute(Qt::WA_OpaquePaintEvent);
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

void FieldView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (s_.Field.Width() != kFieldWidth || s_.Field.Height() != kFieldHeight) {
        painter.fillRect(rect(), Qt::black);
        return;
    }
    // The surface's own pixels, wrapped: nothing is copied. Without smooth transformation a
    // screen scaled by a whole factor shows each pixel as a sharp block.
    const QImage field(reinterpret_cast<const uchar*>(s_.Field.Bits()), kFieldWidth, kFieldHeight,
                       kFieldWidth * 4, QImage::Format_RGB32);
    painter.drawImage(rect(), field);
}

void FieldView::keyPressEvent(QKeyEvent* event) {
    // A held key repeats its key-down, as the game expects (P toggles the pause on each).
    const int code = KeyCode(event->key());
    if (code == 0) {
        QWidget::keyPressEvent(event);
        return;
    }
    FieldKeyDown(s_, code);
}

void FieldView::keyReleaseEvent(QKeyEvent* event) {
    // The releases Qt reports between repeated presses are not real: a held arrow key must not
    // stop the bat.
    const int code = KeyCode(event->key());
    if (code == 0) {
        QWidget::keyReleaseEvent(event);
        return;
    }
    if (!event->isAutoRepeat()) FieldKeyUp(s_, code);
}

void FieldView::mousePressEvent(QMouseEvent*) {
    setFocus(Qt::MouseFocusReason);
}

bool FieldView::focusNextPrevChild(bool) {
    return false;
}

}  // namespace ZapModule
