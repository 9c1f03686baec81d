// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Form1's Timer1 and the game loop its event runs, at the pace StepPacer keeps. It never spins:
// between steps it waits in the event loop, which delivers window events the moment they arrive.
// The loop ends at a pause, a level switch or the end of the program, and is never entered a
// second time while it runs.

#include <QObject>
#include <QTimer>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

#include "frontend/step_waker.h"
#include "game/contract/state.h"
#include "shell/step_pacer.h"

namespace ZapModule {

class GameLoop : public QObject {
  public:
    explicit GameLoop(GameState& s, std::unique_ptr<StepWaker> waker = MakeStepWaker());

    // Timer1's interval: 0 stopped, 1 running.
    int32_t Interval() const { return interval_; }
    void SetInterval(int32_t interval);
    // The program ends: a running loop returns at once and no timer event starts it again.
    void End();
    bool Running() const { return running_; }

    // Called before every pass counts (watching a replay delivers recorded input there); it may
    // deliver window events itself.
    std::function<void()> BeforePass;
    // Called just before each pass that is due to perform a game step (the pointer steers the
    // bat there); it may deliver input to the rules.
    std::function<void()> BeforeStep;
    // Called after every game step with the time the step began (for measurements).
    std::function<void(StepClock::time_point)> OnStep;

  private:
    static StepPacer::Time Now() { return StepClock::now().time_since_epoch(); }
    static StepClock::time_point At(StepPacer::Time t) {
        return StepClock::time_point(std::chrono::duration_cast<StepClock::duration>(t));
    }
    void TimerEvent();
    void RunPasses();
    // Delivers events as they arrive until `deadline` or the end of the program; true when it
    // did (the events pending at its return have been delivered).
    bool WaitUntil(StepClock::time_point deadline);

    GameState& s_;
    std::unique_ptr<StepWaker> waker_;
    StepPacer pacer_;
    QTimer timer_;
    StepClock::time_point armed_;  // the deadline the waker was last given
    int32_t interval_ = 0;
    bool running_ = false;
    bool ended_ = false;
};

}  // namespace ZapModule
