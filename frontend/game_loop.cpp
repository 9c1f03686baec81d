// SPDX-License-Identifier: GPL-3.0-or-later
#include "frontend/game_loop.h"

#include <QCoreApplication>

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
    pacer_.Begin(s_, Now());
    bool delivered = false;  // the wait just delivered every pending event
    bool stepped = false;    // the last pass ran a step (IdlePasses is 0)
    for (;;) {
        StepPacer::Time now = Now();
        // Right after a step, a pass that cannot step only counts, and the wait after it delivers
        // the pending events before any step can read them: it need not look for them first.
        const int32_t untilStep = PassesUntilStep(s_);
        const bool onlyCounts =
            stepped && !BeforePass && untilStep > 1 && pacer_.Elapsed(now) < untilStep;
        if (!delivered && !onlyCounts) {
            QCoreApplication::processEvents(QEventLoop::AllEvents);
            now = Now();
        }
        delivered = stepped = false;
        if (ended_) return;
        pacer_.Credit(s_, now);
        if (BeforePass) {
            BeforePass();
            if (ended_) return;
        }
        if (BeforeStep && PassesUntilStep(s_) == 1) BeforeStep();
        switch (pacer_.Pass(s_, now)) {
            case PassResult::Idle:
                delivered = WaitUntil(At(pacer_.NextStep(s_)));
                break;
            case PassResult::Stepped:
                if (OnStep) OnStep(At(now));
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
