// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/game_loop_core.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace ZapModule {

GameLoopCore::GameLoopCore(GameState& s, Clock clock, Schedule schedule, double sliceMillis)
    : s_(s), clock_(std::move(clock)), schedule_(std::move(schedule)), sliceMillis_(sliceMillis) {}

void GameLoopCore::SetInterval(int32_t interval) {
    interval_ = interval;
    if (interval_ == 0) running_ = false;
    // While the loop runs, it asks for its next call when it returns.
    if (!inRun_) Ask(1);
}

void GameLoopCore::End() {
    ended_ = true;
    running_ = false;
    if (!inRun_) Ask(-1);
}

void GameLoopCore::SetHeld(bool held) {
    if (held == held_) return;
    held_ = held;
    if (!inRun_) Ask(0);
}

void GameLoopCore::Wake() {
    if (!asleep_) return;
    asleep_ = false;
    if (!inRun_) Ask(1);
}

double GameLoopCore::Ask(double delay) {
    if (!CanRun()) delay = -1;
    schedule_(delay);
    return delay;
}

double GameLoopCore::Run() {
    if (!CanRun()) return Ask(-1);
    asleep_ = false;
    inRun_ = true;
    const double start = clock_();
    if (!running_) {
        pacer_.Begin(s_, ToPacer(start));
        running_ = true;
    }
    double delay = -1;
    for (;;) {
        const StepPacer::Time now = ToPacer(clock_());
        pacer_.Credit(s_, now);
        if (BeforePass) {
            BeforePass();
            if (!CanRun()) break;
        }
        const PassResult result = pacer_.Pass(s_, now);
        if (result == PassResult::Idle) {
            delay = std::max(0.0, Millis(pacer_.NextStep(s_) - now));
            break;
        }
        if (result != PassResult::Stepped) {
            // The run ends; the timer, while it keeps its interval, starts the next one, and
            // after a pause the next input.
            running_ = false;
            asleep_ = result == PassResult::Paused;
            delay = asleep_ ? -1 : 1;
            break;
        }
        if (OnStep) OnStep(Millis(now));
        if (!CanRun()) break;
        // A step due at once (every pass steps at Tick 1) waits for the frontend's events once the
        // slice is full; the pass that only counts before a later step is made now and names the
        // wait.
        const bool stepDue = PassesUntilStep(s_) == 1 || pacer_.NextStep(s_) <= ToPacer(clock_());
        if (stepDue && clock_() - start >= sliceMillis_) {
            delay = 0;
            break;
        }
    }
    inRun_ = false;
    return Ask(delay);
}

StepPacer::Time GameLoopCore::ToPacer(double millis) {
    return StepPacer::Time(std::llround(millis * 1e6));
}

double GameLoopCore::Millis(StepPacer::Time t) {
    return std::chrono::duration<double, std::milli>(t).count();
}

}  // namespace ZapModule
