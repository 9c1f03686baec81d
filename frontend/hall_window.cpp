// SPDX-License-Identifier: GPL-3.0-or-later
#include "frontend/hall_window.h"

#include <QHideEvent>
#include <QKeyEvent>

namespace ZapModule {

namespace {

constexpr int kRows = HallColourCycle::kRows;
const QColor kCellBorder(112, 112, 112);

ActiveLabel* Cell(QWidget* parent, int left, int top, Qt::Alignment alignment) {
    auto* cell = new ActiveLabel(parent, {left, top, 89, 25}, {}, kRed, alignment, BigFont());
    cell->setAutoFillBackground(true);
    QPalette palette = cell->palette();
    palette.setColor(QPalette::Window, kDarkGrey);
    cell->setPalette(palette);
    cell->setIndent(2);
    cell->SetBorder(kCellBorder);
    cell->SetSqueezeToFit(true);
    return cell;
}

}  // namespace

HallWindow::HallWindow(const GameState& s, HallColourCycle& colours) : s_(s), colours_(colours) {
    SetUpFixedWindow(this, QStringLiteral("V.E.X Zapwall"), kDesign.width(), kDesign.height());
    setWindowFlag(Qt::Dialog);
    SetColours(this, kRed, Qt::black);
    setAutoFillBackground(true);
    auto* frame = frame_ = new Panel(this, {0, 0, 473, 305});
    new ActiveLabel(frame, {136, 16, 193, 25}, QStringLiteral("In Memoriam"), kRed,
                    Qt::AlignHCenter, BigFont());
    for (int i = 0; i < kRows; ++i) {
        const int column = i / 5;
        const int top = 64 + 40 * (i % 5);
        const int left = column == 0 ? 8 : 256;
        ranks_[i] =
            new ActiveLabel(frame, {left, top, 25, 25}, QString("%1.").arg(i + 1),
                            ColourOf(HallColourCycle::kRankColour), Qt::AlignLeft, BigFont());
        names_[i] = Cell(frame, left + 24, top, Qt::AlignLeft);
        scores_[i] = Cell(frame, left + 120, top, Qt::AlignHCenter);
    }
    close_ = new ActiveLabel(frame, {168, 272, 137, 17}, QString::fromUtf8("Zavřít"), kRed,
                             Qt::AlignHCenter);
    close_->OnClick = [this] { hide(); };
    // "Zavřít" is the window's one control: it holds the keyboard focus, which its yellow frame
    // marks, and Enter or Space on it closes the window.
    close_->SetOnKeyPress([this] { hide(); });
    frame->AddOutline({168, 272, 137, 17}, kYellow);

    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &HallWindow::AnimationStep);
    ShowTable();
    ShowColours();
    layout_.Remember(this, {frame_});
}

void HallWindow::FitToScreen() {
    frame_->SetScale(FitFramedWindow(this, kDesign, layout_).Logical());
}

void HallWindow::ShowTable() {
    for (int i = 0; i < kRows; ++i) {
        names_[i]->setText(QString::fromStdString(s_.Hall[i].Name));
        scores_[i]->setText(QString::number(s_.Hall[i].Score));
    }
}

void HallWindow::Open() {
    timer_.start(HallColourCycle::kStepMilliseconds);
    FitToScreen();
    CentreOnScreen(this);
    close_->setFocus(Qt::OtherFocusReason);
    exec();
}

void HallWindow::AnimationStep() {
    colours_.Step();
    ShowColours();
}

void HallWindow::ShowColours() {
    for (int i = 0; i < kRows; ++i) {
        names_[i]->SetTextColour(ColourOf(colours_.RowColour(i)));
        scores_[i]->SetTextColour(ColourOf(colours_.RowColour(i)));
    }
}

void HallWindow::hideEvent(QHideEvent* event) {
    // Closing by "Zavřít" or by the close control: the cycle stops where it is. Minimising (a
    // spontaneous hide) leaves it running.
    if (!event->spontaneous()) timer_.stop();
    QDialog::hideEvent(event);
}

void HallWindow::keyPressEvent(QKeyEvent* event) {
    // Esc closes the hall of fame, as "Zavřít" does; one still held from the game or the message
    // box before it (repeating) does not.
    if (event->key() == Qt::Key_Escape && event->isAutoRepeat()) return;
    QDialog::keyPressEvent(event);
}

}  // namespace ZapModule
