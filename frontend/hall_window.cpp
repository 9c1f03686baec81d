// SPDX-License-Identifier: GPL-3.0-or-later
#include "frontend/hall_window.h"

#include <QHideEvent>
#include <QKeyEvent>

namespace ZapModule {

namespace {

constexpr int kRows = HallColourCycle::kRows;
const QColor kCellBorder(112, 112, 112);

ActiveLabel* Cell(QWidget* parent, const Box& place, Qt::Alignment alignment) {
    auto* cell = new ActiveLabel(parent, PlaceOf(place), {}, kRed, alignment, BigFont());
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
    SetUpFixedWindow(this, TextOf(kWindowCaption), kDesign.width(), kDesign.height());
    setWindowFlag(Qt::Dialog);
    SetColours(this, kRed, Qt::black);
    setAutoFillBackground(true);
    auto* frame = frame_ = new Panel(this, {0, 0, kDesign.width() - 1, kDesign.height() - 1});
    new ActiveLabel(frame, PlaceOf(HallDesign::kTitle), TextOf(HallDesign::kTitleText), kRed,
                    Qt::AlignHCenter, BigFont());
    for (int i = 0; i < kRows; ++i) {
        const HallDesign::Row row = HallDesign::RowAt(i);
        ranks_[i] =
            new ActiveLabel(frame, PlaceOf(row.Rank), QString("%1.").arg(i + 1),
                            ColourOf(HallColourCycle::kRankColour), Qt::AlignLeft, BigFont());
        names_[i] = Cell(frame, row.Name, Qt::AlignLeft);
        scores_[i] = Cell(frame, row.Score, Qt::AlignHCenter);
    }
    close_ = new ActiveLabel(frame, PlaceOf(HallDesign::kClose), TextOf(HallDesign::kCloseText),
                             kRed, Qt::AlignHCenter);
    close_->OnClick = [this] { hide(); };
    // "Zavřít" is the window's one control: it holds the keyboard focus, which its yellow frame
    // marks, and Enter or Space on it closes the window.
    close_->SetOnKeyPress([this] { hide(); });
    frame->AddOutline(PlaceOf(HallDesign::kClose), kYellow);

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
    setWindowModality(Qt::ApplicationModal);
    show();
    activateWindow();
    close_->setFocus(Qt::OtherFocusReason);
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
    QDialog::hideEvent(event);
    if (event->spontaneous()) return;
    timer_.stop();
    if (Closed) Closed();
}

void HallWindow::keyPressEvent(QKeyEvent* event) {
    // Esc closes the hall of fame, as "Zavřít" does; one still held from the game or the message
    // box before it (repeating) does not.
    if (event->key() == Qt::Key_Escape && event->isAutoRepeat()) return;
    QDialog::keyPressEvent(event);
}

}  // namespace ZapModule
