// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/field_canvas.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "frontend/look.h"
#include "frontend/surface_image.h"
#include "graphics/sprites.h"

namespace ZapModule {

namespace {

const QColor kGridColour(40, 40, 40);
const QColor kSelectionColour(255, 255, 0);
const QColor kFaultColour(255, 0, 0);
constexpr int kMaxZoom = 4;

}  // namespace

FieldCanvas::FieldCanvas(GameState& sprites, QWidget* parent) : QWidget(parent), s_(sprites) {
    SetZoom(1);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    s_.Field = Surface(kFieldWidth, kFieldHeight);
    if (kBonusSheetSprite < s_.SpriteCount())
        bonusSheet_ = ImageOf(s_.Sprites[kBonusSheetSprite].Pixels).copy();
}

void FieldCanvas::ShowLevel(const EditorLevel& level, const std::vector<size_t>& selection,
                            const std::set<size_t>& faulty) {
    level_ = level;
    selection_ = selection;
    faulty_ = faulty;
    update();
}

void FieldCanvas::SetTool(Tool tool) {
    tool_ = tool;
    setCursor(tool == Tool::Draw ? Qt::CrossCursor : Qt::ArrowCursor);
}

void FieldCanvas::SetZoom(int zoom) {
    zoom_ = std::clamp(zoom, 1, kMaxZoom);
    setFixedSize(kFieldWidth * zoom_, kFieldHeight * zoom_);
    update();
}

QPoint FieldCanvas::FieldPoint(const QMouseEvent* event) const {
    const QPointF at = event->position() / zoom_;
    return {static_cast<int>(std::floor(at.x())), static_cast<int>(std::floor(at.y()))};
}

QPoint FieldCanvas::Dragged() const {
    const QPoint by = mouseAt_ - pressAt_;
    if (freeMove_) return by;
    // On the grid: the selection moves by whole cells, as far as the mouse has gone.
    return {SnapX(mouseAt_.x()) - SnapX(pressAt_.x()), SnapY(mouseAt_.y()) - SnapY(pressAt_.y())};
}

QImage FieldCanvas::Picture() {
    QImage picture(size(), QImage::Format_RGB32);
    render(&picture);
    return picture;
}

void FieldCanvas::paintEvent(QPaintEvent*) {
    // The bricks as the game's drawing pass draws them; a selection being dragged is drawn
    // where it would land.
    s_.Field.FillBlack(0, 0, kFieldWidth, kFieldHeight);
    const QPoint by = movingSelection_ ? Dragged() : QPoint();
    for (size_t i = 0; i < level_.size(); ++i) {
        BrickRecord brick = level_[i];
        if (movingSelection_ && std::count(selection_.begin(), selection_.end(), i)) {
            brick.X = static_cast<int16_t>(brick.X + by.x());
            brick.Y = static_cast<int16_t>(brick.Y + by.y());
        }
        DrawBrick(s_, brick);
    }
    QPainter painter(this);
    painter.scale(zoom_, zoom_);  // whole factors: each field pixel a sharp block
    painter.drawImage(0, 0, ImageOf(s_.Field));
    DrawMarks(painter);
}

void FieldCanvas::DrawMarks(QPainter& painter) {
    painter.setPen(kGridColour);
    // The marks of the cells the field holds whole.
    for (int x = kCellWidth; x + kCellWidth <= kFieldWidth; x += kCellWidth)
        painter.drawLine(x, 0, x, 2);
    for (int y = kCellHeight; y + kCellHeight <= kFieldHeight; y += kCellHeight)
        painter.drawLine(0, y, 2, y);
    for (int x = 0; x + kCellWidth <= kFieldWidth; x += kCellWidth)
        for (int y = 0; y + kCellHeight <= kFieldHeight; y += kCellHeight) painter.drawPoint(x, y);
    const QPoint by = movingSelection_ ? Dragged() : QPoint();
    for (size_t i = 0; i < level_.size(); ++i) {
        const BrickRecord& b = level_[i];
        const bool selected = std::count(selection_.begin(), selection_.end(), i) > 0;
        const QPoint at = QPoint(b.X, b.Y) + (selected ? by : QPoint());
        // The bonus a brick leaves, small in its lower right corner.
        if (b.Bonus > 0 && !bonusSheet_.isNull())
            painter.drawImage(QRect(at.x() + kCellWidth / 2, at.y() + kCellHeight / 2,
                                    kCellWidth / 2, kCellHeight / 2),
                              bonusSheet_,
                              QRect((b.Bonus - 1) * kCellWidth, 0, kCellWidth, kCellHeight));
        if (selected || faulty_.count(i)) {
            painter.setPen(selected ? kSelectionColour : kFaultColour);
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(at.x(), at.y(), kCellWidth - 1, kCellHeight - 1);
        }
    }
    painter.setPen(hasFocus() ? kGreen : kDarkGrey);
    painter.drawRect(cursor_.x(), cursor_.y(), kCellWidth - 1, kCellHeight - 1);
    if (tool_ == Tool::Select && held_ == Qt::LeftButton && !movingSelection_) {
        painter.setPen(QPen(kSelectionColour, 1, Qt::DashLine));
        painter.drawRect(QRect(pressAt_, mouseAt_).normalized());
    }
}

void FieldCanvas::mousePressEvent(QMouseEvent* event) {
    if (held_ != Qt::NoButton) return;
    held_ = event->button();
    pressAt_ = mouseAt_ = FieldPoint(event);
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    if (tool_ == Tool::Draw) {
        if (held_ == Qt::LeftButton && OnDraw) OnDraw(pressAt_.x(), pressAt_.y(), shift);
        if (held_ == Qt::RightButton && OnErase) OnErase(pressAt_.x(), pressAt_.y());
        return;
    }
    if (held_ != Qt::LeftButton) return;
    const int hit = BrickAt(level_, pressAt_.x(), pressAt_.y());
    const bool onSelection =
        hit >= 0 && std::count(selection_.begin(), selection_.end(), static_cast<size_t>(hit));
    if (onSelection) {
        movingSelection_ = true;
        freeMove_ = shift;
    } else if (OnSelect) {
        const bool add = event->modifiers() & Qt::ControlModifier;
        OnSelect(hit >= 0 ? std::vector<size_t>{static_cast<size_t>(hit)} : std::vector<size_t>{},
                 add);
    }
    update();
}

void FieldCanvas::mouseMoveEvent(QMouseEvent* event) {
    mouseAt_ = FieldPoint(event);
    if (QRect(0, 0, kFieldWidth, kFieldHeight).contains(mouseAt_)) {
        cursor_ = {SnapX(mouseAt_.x()), SnapY(mouseAt_.y())};
        update();
    }
    if (held_ == Qt::NoButton) return;
    if (tool_ == Tool::Draw) {
        const bool shift = event->modifiers() & Qt::ShiftModifier;
        if (held_ == Qt::LeftButton && OnDraw) OnDraw(mouseAt_.x(), mouseAt_.y(), shift);
        if (held_ == Qt::RightButton && OnErase) OnErase(mouseAt_.x(), mouseAt_.y());
        return;
    }
    update();
}

void FieldCanvas::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != held_) return;
    mouseAt_ = FieldPoint(event);
    held_ = Qt::NoButton;
    if (tool_ == Tool::Select && event->button() == Qt::LeftButton) {
        if (movingSelection_) {
            movingSelection_ = false;
            const QPoint by = Dragged();
            if (!by.isNull() && OnMoveSelection) OnMoveSelection(by.x(), by.y());
        } else if (mouseAt_ != pressAt_ && OnSelect) {
            const QRect band = QRect(pressAt_, mouseAt_).normalized();
            OnSelect(
                BricksMeeting(level_, band.left(), band.top(), band.right() + 1, band.bottom() + 1),
                event->modifiers() & Qt::ControlModifier);
        }
    }
    if (OnStrokeEnd) OnStrokeEnd();
    update();
}

void FieldCanvas::keyPressEvent(QKeyEvent* event) {
    const QPoint centre = cursor_ + QPoint(kCellWidth / 2, kCellHeight / 2);
    switch (event->key()) {
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Up:
        case Qt::Key_Down: {
            const int dx = event->key() == Qt::Key_Left ? -1 : event->key() == Qt::Key_Right;
            const int dy = event->key() == Qt::Key_Up ? -1 : event->key() == Qt::Key_Down;
            const QPoint to = cursor_ + QPoint(dx * kCellWidth, dy * kCellHeight);
            if (to.x() >= 0 && to.y() >= 0 && to.x() + kCellWidth <= kFieldWidth &&
                to.y() + kCellHeight <= kFieldHeight)
                cursor_ = to;
            update();
            return;
        }
        case Qt::Key_Space:
            if (OnDraw) OnDraw(centre.x(), centre.y(), false);
            break;
        case Qt::Key_Backspace:
            if (OnErase) OnErase(centre.x(), centre.y());
            break;
        default:
            QWidget::keyPressEvent(event);
            return;
    }
    if (OnStrokeEnd) OnStrokeEnd();
}

}  // namespace ZapModule
