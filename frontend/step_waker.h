// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Wakes the game loop's wait in the event loop at the absolute time the next game step is due.
// On Linux a timerfd watched by the event loop wakes it within microseconds; elsewhere a precise
// Qt timer does, rounded up to whole milliseconds.

#include <QObject>
#include <chrono>
#include <memory>

namespace ZapModule {

using StepClock = std::chrono::steady_clock;

class StepWaker {
  public:
    virtual ~StepWaker() = default;
    // Makes the event loop's wait return at `deadline` (at once when it has passed). A later call
    // replaces the earlier deadline.
    virtual void Arm(StepClock::time_point deadline) = 0;
};

// The most precise waker the platform has, for the calling thread (on Linux that thread also asks
// the scheduler to be woken promptly on a busy machine).
std::unique_ptr<StepWaker> MakeStepWaker();
// The portable one, on a precise QTimer.
std::unique_ptr<StepWaker> MakeTimerStepWaker();

}  // namespace ZapModule
