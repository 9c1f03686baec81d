// SPDX-License-Identifier: GPL-3.0-or-later
#include "frontend/look.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QTextLayout>
#include <algorithm>
#include <cmath>
#include <utility>

namespace ZapModule {

namespace {

QFont SansSerif(double points) {
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans Narrow")});
    font.setPointSizeF(points);
    return font;
}

// Whether the text of `box` shows whole in `font`, laid out as the box lays out its lines: each
// paragraph wrapped to the width inside the frame, the scroll bar, the document's margins and
// the cursor, under a top margin. The line break that ends the text starts no line worth seeing.
bool TextFits(const QPlainTextEdit* box, const QFont& font) {
    const qreal margin = box->document()->documentMargin();
    const int frame = box->frameWidth();
    const int bar = box->verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOn
                        ? box->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr,
                                                    box->verticalScrollBar())
                        : 0;
    const qreal width = box->width() - 2 * frame - bar - 2 * margin - box->cursorWidth();
    const qreal room = box->height() - 2 * frame - margin;
    qreal height = 0;
    QString text = box->toPlainText();
    while (text.endsWith('\n')) text.chop(1);
    for (const QString& paragraph : text.split('\n')) {
        QTextLayout layout(paragraph, font);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLeadingIncluded(true);
            line.setLineWidth(width);
            height += line.height();
        }
        layout.endLayout();
    }
    return height <= room;
}

}  // namespace

QFont BigFont() {
    return SansSerif(13.5);
}

QFont DialogFont() {
    return SansSerif(8);
}

void SetUpFixedWindow(QWidget* window, const QString& caption, int width, int height) {
    window->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    window->setWindowTitle(caption);
    SetFixedClientSize(window, QSize(width, height));
}

void SetFixedClientSize(QWidget* window, QSize size) {
    window->setFixedSize(size);
    window->setBaseSize(size);
}

bool FrameKnown(const QWidget* window) {
    return window->testAttribute(Qt::WA_WState_Created) &&
           window->frameGeometry() != window->geometry();
}

QMargins FrameMargins(const QWidget* window) {
    const QRect frame = window->frameGeometry(), inside = window->geometry();
    if (FrameKnown(window))
        return QMargins(inside.left() - frame.left(), inside.top() - frame.top(),
                        frame.right() - inside.right(), frame.bottom() - inside.bottom());
    // In screen pixels, rounded up to whole logical ones.
    const qreal ratio = window->devicePixelRatioF();
    const auto logical = [ratio](int pixels) {
        return static_cast<int>(std::ceil(pixels / ratio));
    };
    return QMargins(logical(4), logical(32), logical(4), logical(4));
}

namespace {

// Watches a window's moves and showing until its real frame is known, then runs the refit once.
class FrameWatch : public QObject {
  public:
    FrameWatch(QWidget* window, std::function<void()> refit)
        : QObject(window), window_(window), refit_(std::move(refit)) {
        window->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        if (watched == window_ && refit_ &&
            (type == QEvent::Move || type == QEvent::Resize || type == QEvent::Show) &&
            FrameKnown(window_)) {
            // Once only: the refit may move the window again.
            const std::function<void()> refit = std::exchange(refit_, nullptr);
            window_->removeEventFilter(this);
            refit();
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    QWidget* window_;
    std::function<void()> refit_;
};

}  // namespace

void OnFrameKnown(QWidget* window, std::function<void()> refit) {
    new FrameWatch(window, std::move(refit));
}

void CentreOnScreen(QWidget* window) {
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    const QRect free = screen->availableGeometry();
    QRect frame(QPoint(0, 0), window->size().grownBy(FrameMargins(window)));
    frame.moveCenter(free.center());
    const QPoint corner(std::max(frame.left(), free.left()), std::max(frame.top(), free.top()));
    if (FrameKnown(window)) {
        window->move(corner);  // the frame's corner, once Qt knows the frame
        return;
    }
    // Before, QWidget::move places the window itself, its frame around it: inside the estimate,
    // and again, centred with the real frame, once that is known.
    const QMargins estimate = FrameMargins(window);
    window->move(corner + QPoint(estimate.left(), estimate.top()));
    OnFrameKnown(window, [window] { CentreOnScreen(window); });
}

void SetColours(QWidget* control, const QColor& text, const QColor& background) {
    QPalette palette = control->palette();
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(role, text);
    for (QPalette::ColorRole role : {QPalette::Window, QPalette::Base, QPalette::Button})
        palette.setColor(role, background);
    control->setPalette(palette);
}

void FitTextToBox(QPlainTextEdit* box) {
    QFont font = box->font();
    const qreal designed = font.pointSizeF();
    for (qreal size = designed - 0.25; !TextFits(box, font) && size >= designed / 2; size -= 0.25)
        font.setPointSizeF(size);
    box->setFont(font);
}

ActiveLabel::ActiveLabel(QWidget* parent, const QRect& place, const QString& text,
                         const QColor& colour, Qt::Alignment alignment, const QFont& font)
    : QLabel(text, parent) {
    setTextFormat(Qt::PlainText);  // a player's name is shown as typed, never as markup
    setGeometry(place);
    setFont(font);
    setAlignment(alignment | Qt::AlignTop);
    SetTextColour(colour);
}

void ActiveLabel::SetTextColour(const QColor& colour) {
    QPalette p = palette();
    p.setColor(QPalette::WindowText, colour);
    setPalette(p);
}

QColor ActiveLabel::TextColour() const {
    return palette().color(QPalette::WindowText);
}

void ActiveLabel::SetBorder(const QColor& colour) {
    border_ = colour;
    update();
}

void ActiveLabel::SetSqueezeToFit(bool on) {
    squeezeToFit_ = on;
    update();
}

QRectF ActiveLabel::TextRoom() const {
    const int edge = border_.isValid() ? 2 : 0;
    const bool indented = (alignment() & (Qt::AlignLeft | Qt::AlignRight)) != 0;
    const int inset = indented ? std::max(indent(), 0) : 0;
    QRectF room = contentsRect();
    if (alignment() & Qt::AlignLeft) return room.adjusted(inset, 0, -edge, 0);
    if (alignment() & Qt::AlignRight) return room.adjusted(edge, 0, -inset, 0);
    return room.adjusted(edge, 0, -edge, 0);
}

qreal ActiveLabel::TextSqueeze() const {
    if (!squeezeToFit_ || wordWrap()) return 1;
    const qreal width = QFontMetricsF(font()).horizontalAdvance(text());
    const qreal room = TextRoom().width();
    return width > room && room > 0 ? room / width : 1;
}

void ActiveLabel::SetOnMove(std::function<void()> handler) {
    onMove_ = std::move(handler);
    setMouseTracking(static_cast<bool>(onMove_));
}

void ActiveLabel::SetOnKeyPress(std::function<void()> handler) {
    onKeyPress_ = std::move(handler);
    // By Tab only: a press of the mouse runs the label's command and leaves the focus alone.
    setFocusPolicy(onKeyPress_ ? Qt::TabFocus : Qt::NoFocus);
}

void ActiveLabel::keyPressEvent(QKeyEvent* event) {
    const bool activating = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ||
                            event->key() == Qt::Key_Space;
    if (!onKeyPress_ || !activating) {
        QLabel::keyPressEvent(event);
        return;
    }
    if (!event->isAutoRepeat()) onKeyPress_();
}

void ActiveLabel::focusInEvent(QFocusEvent* event) {
    QLabel::focusInEvent(event);
    if (OnFocusIn) OnFocusIn();
}

void ActiveLabel::mousePressEvent(QMouseEvent* event) {
    if (!OnPress && !OnClick) {
        QLabel::mousePressEvent(event);
        return;
    }
    if (event->button() == Qt::LeftButton) leftDown_ = true;
    if (OnPress) OnPress(event->button());
}

void ActiveLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (!OnPress && !OnClick) {
        QLabel::mouseReleaseEvent(event);
        return;
    }
    const bool click = event->button() == Qt::LeftButton && leftDown_ &&
                       rect().contains(event->position().toPoint());
    if (event->button() == Qt::LeftButton) leftDown_ = false;
    if (click && OnClick) OnClick();
}

void ActiveLabel::mouseMoveEvent(QMouseEvent* event) {
    if (onMove_) onMove_();
    QLabel::mouseMoveEvent(event);
}

void ActiveLabel::paintEvent(QPaintEvent* event) {
    const qreal squeeze = TextSqueeze();
    if (squeeze < 1) {
        // Narrowed horizontally only: the text keeps its height and its line with the others.
        const QRectF room = TextRoom();
        QPainter painter(this);
        painter.setFont(font());
        painter.setPen(palette().color(foregroundRole()));
        painter.scale(squeeze, 1);
        painter.drawText(
            QRectF(room.left() / squeeze, room.top(), room.width() / squeeze, room.height()),
            static_cast<int>(alignment()), text());
    } else {
        QLabel::paintEvent(event);
    }
    if (!border_.isValid()) return;
    QPainter painter(this);
    painter.setPen(border_);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

Panel::Panel(QWidget* window, const QRect& place) : QWidget(window) {
    setGeometry(place);
    setAutoFillBackground(true);
    SetColours(this, kRed, Qt::black);
}

int Panel::AddOutline(const QRect& place, const QColor& colour) {
    outlines_.push_back({place, colour});
    update(Scaled(place));
    return static_cast<int>(outlines_.size()) - 1;
}

void Panel::SetOutlineColour(int outline, const QColor& colour) {
    Shape& shape = outlines_.at(static_cast<size_t>(outline));
    if (shape.Colour == colour) return;
    shape.Colour = colour;
    update(Scaled(shape.Place));
}

QColor Panel::OutlineColour(int outline) const {
    return outlines_.at(static_cast<size_t>(outline)).Colour;
}

void Panel::AddLine(const QPoint& from, const QPoint& to, const QColor& colour) {
    lines_.push_back({from, to, colour});
    update();
}

void Panel::MarkFocusOf(QWidget* control, const QColor& colour) {
    focusMarks_.push_back({control, colour});
    control->installEventFilter(this);
}

void Panel::SetScale(qreal scale) {
    scale_ = scale;
    update();
}

QRect Panel::Scaled(const QRect& design) const {
    // One pixel more each way: a pen at a fractional scale may reach into the next pixel.
    return QRectF(design.x() * scale_, design.y() * scale_, design.width() * scale_,
                  design.height() * scale_)
        .toAlignedRect()
        .adjusted(-1, -1, 1, 1);
}

QRect Panel::AroundControl(const QWidget* control) {
    return control->geometry().adjusted(-1, -1, 1, 1);
}

bool Panel::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)
        for (const FocusMark& mark : focusMarks_)
            if (mark.Control == watched) update(AroundControl(mark.Control));
    return QWidget::eventFilter(watched, event);
}

void Panel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // A designed pixel is a square of whole screen pixels: so is the pen's width.
    painter.save();
    painter.scale(scale_, scale_);
    for (const Shape& shape : outlines_) {
        painter.setPen(QPen(shape.Colour, 1, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        painter.drawRect(QRectF(shape.Place).adjusted(0.5, 0.5, -0.5, -0.5));
    }
    for (const Line& line : lines_) {
        painter.setPen(QPen(line.Colour, 1, Qt::SolidLine, Qt::FlatCap));
        painter.drawLine(QPointF(line.From) + QPointF(0, 0.5), QPointF(line.To) + QPointF(1, 0.5));
    }
    painter.restore();
    for (const FocusMark& mark : focusMarks_) {
        if (!mark.Control->hasFocus()) continue;
        painter.setPen(mark.Colour);
        painter.drawRect(AroundControl(mark.Control).adjusted(0, 0, -1, -1));
    }
}

}  // namespace ZapModule
