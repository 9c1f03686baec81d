// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Form1's Timer1 and the game loop on the desktop: shell/game_loop_core.h called by the step
// waker from Qt's own event loop. A call runs the passes due and returns; the waker calls again
// when the next step is due, and the event loop delivers window events the moment they arrive
// in between. Nothing waits inside a call, and the loop never spins.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

#include "frontend/step_waker.h"
#include "model/state.h"
#include "shell/game_loop_core.h"

namespace ZapModule {

class GameLoop {
  public:
    explicit GameLoop(GameState& s, std::unique_ptr<StepWaker> waker = MakeStepWaker());
    GameLoop(const GameLoop&) = delete;
    GameLoop& operator=(const GameLoop&) = delete;

    // Timer1's interval: 0 stopped, 1 running.
    int32_t Interval() const { return core_.Interval(); }
    void SetInterval(int32_t interval) { core_.SetInterval(interval); }
    // The program ends: no pass counts and the waker stays silent.
    void End() { core_.End(); }
    // Holds the loop between two passes (a box is open, a watched replay is held), or lets it go
    // on.
    void SetHeld(bool held) { core_.SetHeld(held); }
    // An input reached the rules: a loop asleep in a pause looks again.
    void Wake() { core_.Wake(); }
    bool Running() const { return core_.Running(); }

    // Called before every pass counts (watching a replay delivers recorded input there; the
    // pointer steers the bat before a pass that will step).
    std::function<void()>& BeforePass() { return core_.BeforePass; }
    // Called after every game step with the time its pass began (for measurements).
    std::function<void(StepClock::time_point)> OnStep;

  private:
    static double Millis(StepClock::time_point t) {
        return std::chrono::duration<double, std::milli>(t.time_since_epoch()).count();
    }

    std::unique_ptr<StepWaker> waker_;
    // The clock's latest reading: a call asked for from outside a run counts from the last one
    // made, and so may come at once.
    StepClock::time_point lastRead_;
    GameLoopCore core_;
};

}  // namespace ZapModule
