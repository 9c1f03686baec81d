// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The game step (phases A to J) and the pass logic of Timer1's loop, free of any platform: the
// game screen drives it from its timer and waits in the event loop between steps.

#include <cstdint>

#include "model/state.h"

namespace ZapModule {

enum class StepResult { Continue, LevelSwitched, Unloaded };
// One game step. LevelSwitched and Unloaded end the loop.
StepResult GameStep(GameState& s);

enum class PassResult { Idle, Stepped, Paused, LevelSwitched, Unloaded };
// One pass of the loop after the pending events were delivered: counts IdlePasses and, every
// Tick passes, returns at a pause or performs a game step. Paused, LevelSwitched and Unloaded end
// the loop.
PassResult LoopPass(GameState& s);
// Credits `passes` idle passes that elapsed while the loop waited (at most up to the next step).
void CreditIdlePasses(GameState& s, int64_t passes);
// Passes still needed before the next step is due (at least 1).
int32_t PassesUntilStep(const GameState& s);

}  // namespace ZapModule
