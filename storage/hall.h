#pragma once
// hall.ko and the ten-entry hall of fame table GameState::Hall.

#include "game/state.h"

namespace ZapModule {

void LoadHallOfFame(GameState& s);
bool SaveHallOfFame(GameState& s);
// Enters the final Iq under the name of Label1(3) if it qualifies, and saves the table.
void EnterHallOfFame(GameState& s);

}  // namespace ZapModule
