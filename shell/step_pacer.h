// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The pace of Timer1's loop, one for the desktop's and the page's game loops: a game step every
// Tick passes of 1.25 µs nominal (Tick 8000: one step per 10 ms), IdlePasses credited with the
// passes that elapsed by the clock, a late step run at once but lost time never made up with a
// burst of steps. The loops bring the clock, the events and the waiting; the pacer keeps the
// schedule.

#include <algorithm>
#include <chrono>
#include <cstdint>

#include "game/tick.h"
#include "model/state.h"

namespace ZapModule {

class StepPacer {
  public:
    // A loop's clock reading: time since any fixed origin, never going back.
    using Time = std::chrono::nanoseconds;
    // One pass's nominal length.
    static constexpr Time kPass{1250};

    // A run of the loop begins at `now`; the passes IdlePasses already counted lie before it.
    void Begin(const GameState& s, Time now) { anchor_ = now - s.IdlePasses * kPass; }
    // Passes elapsed by `now` since IdlePasses was 0.
    int64_t Elapsed(Time now) const { return (now - anchor_) / kPass; }
    // Credits IdlePasses with the passes elapsed by `now`, the one about to be made apart.
    void Credit(GameState& s, Time now) const {
        CreditIdlePasses(s, Elapsed(now) - s.IdlePasses - 1);
    }
    // The pass made at `now`, after Credit and whatever the loop does before a pass.
    PassResult Pass(GameState& s, Time now);
    // When the next step is due.
    Time NextStep(const GameState& s) const { return anchor_ + Period(s); }

  private:
    static Time Period(const GameState& s) { return std::max<int16_t>(s.Tick, 1) * kPass; }

    Time anchor_{};  // when IdlePasses was 0, by the nominal pass length
};

}  // namespace ZapModule
