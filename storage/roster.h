#pragma once
// players.ko and the roster Players, kept in the order of the menu's list List1.

#include <cstdint>

#include "game/state.h"

namespace ZapModule {

void LoadRoster(GameState& s);
// False (and reported) when the file could not be written.
bool SaveRoster(GameState& s);
void StoreCurrentPlayer(GameState& s);
void DeletePlayer(GameState& s, int16_t index);

}  // namespace ZapModule
