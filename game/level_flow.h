// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The game screen's load, the menu's Start, the switch to the next level, the removal of lost
// balls and the game over.

#include <cstdint>

#include "model/state.h"

namespace ZapModule {

// Form1's load: 3 spare balls, the bat at 240 with height 60, and the first ball served.
void LoadGameScreen(GameState& s);
// The start-up values of the program-wide variables: screen buttons, bonus timers, no player.
void InitProgramState(GameState& s);
// Start's hand-over of player `index` (of Players) into the game: progress, name label, the
// "VEX" message, Tick, the level file positioned and the level loaded. Sound set-up and the
// roster save are the menu's.
void StartGame(GameState& s, int16_t index, int16_t tick);
// The same for a player that is not in the roster (CurrentPlayer stays -1).
void StartGameAs(GameState& s, const PlayerRecord& player, int16_t tick);
// Shows or hides the three messages between levels, Label3(0) to Label3(2).
void ShowBetweenLevelMessages(GameState& s, bool visible);
void NextLevel(GameState& s);
void RemoveBall(GameState& s, int16_t b);
void GameOver(GameState& s);

}  // namespace ZapModule
