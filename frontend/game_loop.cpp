#include "frontend/game_loop.h"

#include <QCoreApplication>
#include <algorithm>

#include "game/tick.h"

namespace ZapModule {

GameLoop::GameLoop(GameState& s, std::unique_ptr<StepWaker> waker)
    : s_(s), waker_(std::move(waker)) {
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &GameLoop::TimerEvent);
}

void GameLoop::SetInterval(int32_t interval) {
    interval_ = interval;
    // While the loop runs, the timer stays stopped; the loop restarts it when it returns.
    if (interval_ == 0 || ended_) {
        timer_.stop();
    } else if (!running_) {
        timer_.start(interval_);
    }
}

void GameLoop::End() {
    ended_ = true;
    timer_.stop();
}

void GameLoop::TimerEvent() {
    if (running_ || ended_) return;
    running_ = true;
    timer_.stop();
    RunPasses();
    running_ = false;
    if (!ended_ && interval_ != 0) timer_.start(interval_);
}

void GameLoop::RunPasses() {
    // The time at which IdlePasses was 0, by the nominal pass length.
    StepClock::time_point anchor = StepClock::now() - s_.IdlePasses * kPass;
    bool delivered = false;  // the wait just delivered every pending event
    bool stepped = false;    // the last pass ran a step (IdlePasses is 0)
    for (;;) {
        StepClock::time_point now = StepClock::now();
        // Right after a step, a pass that cannot step only counts, and the wait after it delivers
        // the pending events before any step can read them: it need not look for them first.
        const int32_t untilStep = PassesUntilStep(s_);
        const bool onlyCounts =
            stepped && !BeforePass && untilStep > 1 && (now - anchor) / kPass < untilStep;
        if (!delivered && !onlyCounts) {
            QCoreApplication::processEvents(QEventLoop::AllEvents);
            now = StepClock::now();
        }
        delivered = stepped = false;
        if (ended_) return;
        const int64_t elapsed = (now - anchor) / kPass;
        CreditIdlePasses(s_, elapsed - s_.IdlePasses - 1);
        const StepClock::duration period = std::max<int16_t>(s_.Tick, 1) * kPass;
        if (BeforePass) {
            BeforePass();
            if (ended_) return;
        }
        if (BeforeStep && PassesUntilStep(s_) == 1) BeforeStep();
        switch (LoopPass(s_)) {
            case PassResult::Idle:
                delivered = WaitUntil(anchor + period);
                break;
            case PassResult::Stepped:
                // A step late by less than a period keeps the schedule (the next wait is that
                // much shorter, so the rate stays exact); one late by a whole period or more
                // starts the schedule again from now, so steps never run back to back.
                anchor = now - (anchor + period) >= period ? now : anchor + period;
                if (OnStep) OnStep(now);
                stepped = true;
                break;
            case PassResult::Paused:
            case PassResult::LevelSwitched:
            case PassResult::Unloaded:
                return;
        }
    }
}

bool GameLoop::WaitUntil(StepClock::time_point deadline) {
    bool delivered = false;
    while (!ended_ && StepClock::now() < deadline) {
        // The waker keeps its time until it fires: an event that ends the wait early needs no
        // new one.
        if (deadline != armed_) {
            waker_->Arm(deadline);
            armed_ = deadline;
        }
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        delivered = true;
    }
    return delivered;
}

}  // namespace ZapModule
