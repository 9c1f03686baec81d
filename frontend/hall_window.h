// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Form3, the hall of fame "In Memoriam": the ten rows of GameState::Hall in two columns, their
// text colours cycling one row towards rank 1 every 100 ms while the window is open
// (HallColourCycle).

#include <QDialog>
#include <QTimer>
#include <array>
#include <functional>

#include "frontend/look.h"
#include "frontend/scaled_layout.h"
#include "model/state.h"
#include "shell/hall_colours.h"

namespace ZapModule {

class HallWindow : public QDialog {
  public:
    HallWindow(const GameState& s, HallColourCycle& colours);

    // Shows the rows of GameState::Hall.
    void ShowTable();
    // Starts the colour cycle and shows the window, modal for the player; returns at once, and
    // Closed runs when the player has closed it.
    void Open();
    std::function<void()> Closed;
    // The window's size in game pixels.
    static constexpr QSize kDesign{HallDesign::kWindow.Width, HallDesign::kWindow.Height};
    // Scales and sizes the window for its screen (Open does it).
    void FitToScreen();
    // One step of the colour cycle.
    void AnimationStep();

    ActiveLabel* NameLabel(int row) { return names_.at(static_cast<size_t>(row)); }
    ActiveLabel* ScoreLabel(int row) { return scores_.at(static_cast<size_t>(row)); }
    ActiveLabel* RankLabel(int row) { return ranks_.at(static_cast<size_t>(row)); }
    ActiveLabel* CloseLabel() { return close_; }
    QTimer& ColourTimer() { return timer_; }

  protected:
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    // The row colours as the colour cycle has them.
    void ShowColours();

    const GameState& s_;
    HallColourCycle& colours_;
    QTimer timer_;
    std::array<ActiveLabel*, 10> ranks_{};
    std::array<ActiveLabel*, 10> names_{};
    std::array<ActiveLabel*, 10> scores_{};
    ActiveLabel* close_ = nullptr;
    Panel* frame_ = nullptr;
    ScaledLayout layout_;
};

}  // namespace ZapModule
