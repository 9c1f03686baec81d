// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/step_pacer.h"

namespace ZapModule {

PassResult StepPacer::Pass(GameState& s, Time now) {
    const Time period = Period(s);
    const PassResult result = LoopPass(s);
    // A step late by less than a period keeps the schedule (the next wait is that much shorter,
    // so the rate stays exact); one late by a whole period or more starts the schedule again
    // from now, so steps never run back to back to make up for lost time.
    if (result == PassResult::Stepped)
        anchor_ = now - (anchor_ + period) >= period ? now : anchor_ + period;
    return result;
}

}  // namespace ZapModule
