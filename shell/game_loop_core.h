// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Form1's Timer1 and the game loop it runs, for both frontends, without waiting inside a call:
// the frontend's one-shot timer calls Run, which performs the passes that are due now and returns
// when it is to be called again. StepPacer keeps the pace; the passes between calls are credited
// at the next. The frontend's event loop delivers the window events between two calls, so the
// loop never spins and is never entered a second time.
//
// The loop's run ends at a pause, a level switch or the end of the program; while the timer
// keeps its interval of 1 the loop asks to be called again 1 ms later, as Timer1 fires, except
// after a pause: the passes of a paused game change nothing but IdlePasses, so the loop sleeps
// until an input may have ended the pause (Wake) and asks for no call meanwhile. While the loop
// is held (a box is open over the game screen, a watched replay is held) no pass counts at all.

#include <cstdint>
#include <functional>

#include "model/state.h"
#include "shell/step_pacer.h"

namespace ZapModule {

class GameLoopCore {
  public:
    // Milliseconds from any origin, never going back, with fractions.
    using Clock = std::function<double()>;
    // Asks the frontend to call Run after `delay` milliseconds (0: as soon as it can, after the
    // events waiting); a negative delay cancels the call asked for before.
    using Schedule = std::function<void(double delay)>;

    // When steps are due back to back (a small Tick, or a late step), one call runs them for at
    // most `sliceMillis` and then lets the frontend's events in (0: after every step).
    GameLoopCore(GameState& s, Clock clock, Schedule schedule, double sliceMillis);

    // Timer1's interval: 0 stopped, 1 running.
    int32_t Interval() const { return interval_; }
    void SetInterval(int32_t interval);
    // The program ends: no pass counts any more.
    void End();
    // Holds the loop between two passes, or lets it go on.
    void SetHeld(bool held);
    // An input reached the rules: a loop asleep in a pause looks again.
    void Wake();
    // A run of the loop goes on (it has not ended at a pause, a level switch or the end).
    bool Running() const { return running_; }

    // The frontend's call: runs the passes due now. Returns the delay it asked for, or a negative
    // number when the loop does not want to be called.
    double Run();

    // Called before every pass counts (watching a replay delivers recorded input there; the
    // pointer steers the bat there before a pass that will step).
    std::function<void()> BeforePass;
    // Called after every game step with the clock's time the step's pass began (measurements).
    std::function<void(double millis)> OnStep;

  private:
    bool CanRun() const { return interval_ != 0 && !ended_ && !held_; }
    // Asks for a call after `delay`, or cancels the call when the loop cannot run.
    double Ask(double delay);
    static StepPacer::Time ToPacer(double millis);
    static double Millis(StepPacer::Time t);

    GameState& s_;
    Clock clock_;
    Schedule schedule_;
    double sliceMillis_;
    StepPacer pacer_;
    bool running_ = false;  // inside one run of the loop, which keeps the pacer's schedule
    bool inRun_ = false;
    int32_t interval_ = 0;
    bool held_ = false;
    bool ended_ = false;
    bool asleep_ = false;  // the run ended at a pause: no call until Wake
};

}  // namespace ZapModule
