// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Form1's Timer1 and the game loop in the page. A browser cannot wait inside a call, so the loop
// runs in slices: the page's timer calls Run, which performs the passes that are due now and
// returns when the page is to call again. StepPacer keeps the pace, as on the desktop; the
// passes between calls are credited at the next. The loop's run ends at a pause, a level switch or
// the end of the program; while the timer keeps its interval of 1 the page calls again 1 ms later,
// as the desktop's timer does, except after a pause: the passes of a paused game change nothing but
// IdlePasses, so the loop sleeps until an input may have ended the pause (Wake), and a paused page
// sets no timer. While the loop is held (a message box is open, a watched replay is held) no pass
// counts at all.

#include <cstdint>
#include <functional>

#include "game/contract/state.h"
#include "shell/step_pacer.h"

namespace ZapModule {

class PageGameLoop {
  public:
    // Milliseconds from any origin, never going back, with fractions.
    using Clock = std::function<double()>;
    // Asks the page to call Run after `delay` milliseconds (0: as soon as it can, after the
    // events waiting); a negative delay cancels the call asked for before.
    using Schedule = std::function<void(double delay)>;

    PageGameLoop(GameState& s, Clock clock, Schedule schedule);

    // Timer1's interval: 0 stopped, 1 running.
    int32_t Interval() const { return interval_; }
    void SetInterval(int32_t interval);
    // The program ends: no pass counts any more.
    void End();
    // Holds the loop between two passes, or lets it go on.
    void SetHeld(bool held);
    // An input reached the rules: a loop asleep in a pause looks again.
    void Wake();

    // The page's call: runs the passes due now. Returns the delay the page was asked for, or a
    // negative number when the loop does not want to be called.
    double Run();

    // Called before every pass counts (watching a replay delivers recorded input there).
    std::function<void()> BeforePass;

    // The longest one call keeps the page busy when steps are due back to back (small Tick):
    // then the page gets its events in before the next call.
    static constexpr double kSliceMillis = 4;

  private:
    bool CanRun() const { return interval_ != 0 && !ended_ && !held_; }
    // Asks for a call after `delay`, or cancels the call when the loop cannot run.
    double Ask(double delay);
    static StepPacer::Time ToPacer(double millis);
    static double Millis(StepPacer::Time t);

    GameState& s_;
    Clock clock_;
    Schedule schedule_;
    StepPacer pacer_;
    bool running_ = false;  // inside one run of the loop, which keeps the pacer's schedule
    bool inRun_ = false;
    int32_t interval_ = 0;
    bool held_ = false;
    bool ended_ = false;
    bool asleep_ = false;  // the run ended at a pause: no call until Wake
};

}  // namespace ZapModule
