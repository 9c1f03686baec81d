// SPDX-License-Identifier: GPL-3.0-or-later
#include "frontend/game_loop.h"

namespace ZapModule {

namespace {

// Qt's event loop lets the window events in after every step that another step follows at once.
constexpr double kSliceMillis = 0;

}  // namespace

GameLoop::GameLoop(GameState& s, std::unique_ptr<StepWaker> waker)
    : waker_(std::move(waker)),
      core_(
          s,
          [this] {
              lastRead_ = StepClock::now();
              return Millis(lastRead_);
          },
          [this](double delay) {
              if (delay < 0) {
                  waker_->Disarm();
                  return;
              }
              // The delay counts from the clock's reading at the pass that named it, rounded up:
              // a waker fired a nanosecond early would find the step not yet due.
              waker_->Arm(lastRead_ + std::chrono::ceil<StepClock::duration>(
                                          std::chrono::duration<double, std::milli>(delay)));
          },
          kSliceMillis) {
    waker_->Fired = [this] { core_.Run(); };
    core_.OnStep = [this](double millis) {
        if (OnStep)
            OnStep(StepClock::time_point(std::chrono::duration_cast<StepClock::duration>(
                std::chrono::duration<double, std::milli>(millis))));
    };
}

}  // namespace ZapModule
