// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Calls the game loop from the event loop at the absolute time its next pass is due. On Linux a
// timerfd watched by the event loop fires within microseconds; elsewhere a precise Qt timer does,
// rounded up to whole milliseconds.

#include <chrono>
#include <functional>
#include <memory>

namespace ZapModule {

using StepClock = std::chrono::steady_clock;

class StepWaker {
  public:
    virtual ~StepWaker() = default;
    // Calls Fired from the event loop at `deadline` (as soon as it can when it has passed). A
    // later call replaces the earlier deadline.
    virtual void Arm(StepClock::time_point deadline) = 0;
    // Cancels the call.
    virtual void Disarm() = 0;

    std::function<void()> Fired;
};

// The most precise waker the platform has, for the calling thread (on Linux that thread also asks
// the scheduler to be woken promptly on a busy machine).
std::unique_ptr<StepWaker> MakeStepWaker();
// The portable one, on a precise QTimer.
std::unique_ptr<StepWaker> MakeTimerStepWaker();

}  // namespace ZapModule
