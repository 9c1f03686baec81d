#include "browser/app/page_loop.h"

#include <algorithm>
#include <utility>

#include "game/tick.h"

namespace ZapModule {

PageGameLoop::PageGameLoop(GameState& s, Clock clock, Schedule schedule)
    : s_(s), clock_(std::move(clock)), schedule_(std::move(schedule)) {}

void PageGameLoop::SetInterval(int32_t interval) {
    interval_ = interval;
    if (interval_ == 0) running_ = false;
    // While the loop runs, it asks for its next call when it returns.
    if (!inRun_) Ask(1);
}

void PageGameLoop::End() {
    ended_ = true;
    running_ = false;
    if (!inRun_) Ask(-1);
}

void PageGameLoop::SetHeld(bool held) {
    if (held == held_) return;
    held_ = held;
    if (!inRun_) Ask(0);
}

void PageGameLoop::Wake() {
    if (!asleep_) return;
    asleep_ = false;
    if (!inRun_) Ask(1);
}

double PageGameLoop::Ask(double delay) {
    if (!CanRun()) delay = -1;
    schedule_(delay);
    return delay;
}

double PageGameLoop::Run() {
    if (!CanRun()) return Ask(-1);
    asleep_ = false;
    inRun_ = true;
    const double start = clock_();
    if (!running_) {
        anchor_ = start - s_.IdlePasses * kPassMillis;
        running_ = true;
    }
    double delay = -1;
    for (;;) {
        const double now = clock_();
        CreditIdlePasses(s_,
                         static_cast<int64_t>((now - anchor_) / kPassMillis) - s_.IdlePasses - 1);
        const double period = std::max<int16_t>(s_.Tick, 1) * kPassMillis;
        if (BeforePass) {
            BeforePass();
            if (!CanRun()) break;
        }
        const PassResult result = LoopPass(s_);
        if (result == PassResult::Idle) {
            delay = std::max(0.0, anchor_ + period - now);
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
        // A step late by less than a period keeps the schedule (the next wait is that much
        // shorter, so the rate stays exact); one late by a whole period or more starts the
        // schedule again from now, so steps never run back to back to make up for lost time.
        anchor_ = now - (anchor_ + period) >= period ? now : anchor_ + period;
        if (!CanRun()) break;
        if (clock_() - start >= kSliceMillis) {
            delay = 0;
            break;
        }
    }
    inRun_ = false;
    return Ask(delay);
}

}  // namespace ZapModule
