// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The files the game keeps as its rules use them: the roster (players.ko) with the menu's list
// List1, the hall of fame (hall.ko) with its window, and the speed setting (tick.ko). A damaged
// file is set aside and reported as it is read, a failed save reported as it fails.

#include <cstdint>

#include "model/state.h"

namespace ZapModule {

// Players from players.ko, each also a line of List1, in the file's order.
void LoadRoster(GameState& s);
// False (and reported) when the file could not be written.
bool SaveRoster(GameState& s);
// Copies the game's IQ, balls and level into the current player's record.
void StoreCurrentPlayer(GameState& s);
// Removes the roster's player INDEX and its line of List1, when there is one; clears the current
// player either way.
void DeletePlayer(GameState& s, int16_t index);

void LoadHallOfFame(GameState& s);
// False (and reported) when the file could not be written.
bool SaveHallOfFame(GameState& s);
// Enters the final Iq under the name of Label1(3) if it qualifies, and saves the table.
void EnterHallOfFame(GameState& s);

// The setting for the menu's scroll bar: 8000 when tick.ko is missing. A damaged or unreadable
// tick.ko is set aside and reported as the other kept files are, and the value it gives used.
int16_t LoadTick(GameState& s);
// False (and reported) when the file could not be written.
bool SaveTick(GameState& s, int16_t value);

}  // namespace ZapModule
