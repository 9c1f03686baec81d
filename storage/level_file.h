// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// levels.ko: a count of levels, then that many level blocks, each a brick count and six 16-bit
// values per brick (X, Y, Points, Picture, Type, Bonus), all little-endian. The file is read once
// at start-up into GameState::Levels and read on from there; nothing is ever read past its end.

#include <cstdint>
#include <string>
#include <vector>

#include "model/state.h"

namespace ZapModule {

// The problems that make a level file unusable for the game, one text each, such as
// "levels.ko: level 3 claims 40 bricks, file ends after 12"; empty when the file is good
// (a level count of at least 1, every brick count at least 1, the file long enough for them).
std::vector<std::string> CheckLevelFile(const std::vector<uint8_t>& bytes);

// Takes the checked bytes as the open level file and reads LevelCount from its start.
void OpenLevelFile(GameState& s, std::vector<uint8_t> bytes);
// Starts the level file again at its first level and reads LevelCount again.
void ReopenLevelFile(GameState& s);
// Reads the level block at the read position into Bricks, BrickRects (16-bit sums) and the count.
void LoadLevel(GameState& s);
// Skips the blocks of the levels before the current Level, reopening after every LevelCount.
void SkipToLevel(GameState& s);

}  // namespace ZapModule
