#include "frontend/hall_window.h"

#include <QHideEvent>
#include <QKeyEvent>

namespace ZapModule {

namespace {

constexpr int kRows = 10;
const QColor kCellBorder(112, 112, 112);

// The design colours of the rows' names and scores, rank 1 first.
const std::array<QColor, kRows> kRowColours = {
    QColor(255, 255, 255), QColor(192, 255, 192), QColor(255, 255, 192), QColor(255, 224, 192),
    QColor(255, 192, 192), QColor(255, 128, 128), QColor(255, 0, 0),     QColor(192, 0, 0),
    QColor(128, 0, 0),     QColor(64, 0, 0)};

ActiveLabel* Cell(QWidget* parent, int left, int top, Qt::Alignment alignment,
                  const QColor& colour) {
    auto* cell = new ActiveLabel(parent, {left, top, 89, 25}, {}, colour, alignment, BigFont());
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

HallWindow::HallWindow(const GameState& s) : s_(s) {
    SetUpFixedWindow(this, QStringLiteral("V.E.X Zapwall"), 474, 306);
    setWindowFlag(Qt::Dialog);
    SetColours(this, kRed, Qt::black);
    setAutoFillBackground(true);
    auto* frame = new Panel(this, {0, 0, 473, 305});
    new ActiveLabel(frame, {136, 16, 193, 25}, QStringLiteral("In Memoriam"), kRed,
                    Qt::AlignHCenter, BigFont());
    for (int i = 0; i < kRows; ++i) {
        const int column = i / 5;
        const int top = 64 + 40 * (i % 5);
        const int left = column == 0 ? 8 : 256;
        ranks_[i] = new ActiveLabel(frame, {left, top, 25, 25}, QString("%1.").arg(i + 1), kGreen,
                                    Qt::AlignLeft, BigFont());
        names_[i] = Cell(frame, left + 24, top, Qt::AlignLeft, kRowColours[i]);
        scores_[i] = Cell(frame, left + 120, top, Qt::AlignHCenter, kRowColours[i]);
    }
    close_ = new ActiveLabel(frame, {168, 272, 137, 17}, QString::fromUtf8("Zavřít"), kRed,
                             Qt::AlignHCenter);
    close_->OnClick = [this] { hide(); };
    frame->AddOutline({168, 272, 137, 17}, kYellow);

    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &HallWindow::AnimationStep);
    ShowTable();
}

void HallWindow::ShowTable() {
    for (int i = 0; i < kRows; ++i) {
        names_[i]->setText(QString::fromStdString(s_.Hall[i].Name));
        scores_[i]->setText(QString::number(s_.Hall[i].Score));
    }
}

void HallWindow::Open() {
    timer_.start(100);
    CentreOnScreen(this);
    exec();
}

void HallWindow::AnimationStep() {
    const QColor saved = names_[0]->TextColour();
    for (int i = 0; i + 1 < kRows; ++i) {
        names_[i]->SetTextColour(names_[i + 1]->TextColour());
        scores_[i]->SetTextColour(scores_[i + 1]->TextColour());
    }
    names_[kRows - 1]->SetTextColour(saved);
    scores_[kRows - 1]->SetTextColour(saved);
}

void HallWindow::hideEvent(QHideEvent* event) {
    // Closing by "Zavřít" or by the close control: the cycle stops where it is. Minimising (a
    // spontaneous hide) leaves it running.
    if (!event->spontaneous()) timer_.stop();
    QDialog::hideEvent(event);
}

void HallWindow::keyPressEvent(QKeyEvent* event) {
    // Only "Zavřít" and the close control close the hall of fame; Esc, which a dialog would take
    // for a close, does nothing (it may have been meant for the message box before it).
    if (event->key() == Qt::Key_Escape) return;
    QDialog::keyPressEvent(event);
}

}  // namespace ZapModule
