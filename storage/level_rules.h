// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a level set may hold, decided in one place for the game's start-up check, `zapwall-data
// check`, the level compiler and the level editor.
//
// Two grades: a set the game refuses (no level, a level without bricks, counts beyond 16 bits),
// and a set the game plays but that cannot be played as meant (a brick the ball never reaches, a
// brick that never breaks though it is not steel, bricks on top of each other, a level of steel
// only). The first can never be saved; the second only when the author insists.

#include <cstdint>
#include <string>
#include <vector>

#include "model/state.h"

namespace ZapModule {

// The largest count of levels, or of bricks in a level: the file holds them as 16-bit values.
constexpr int32_t kMaxLevelSetCount = 32767;

struct LevelRuleProblem {
    bool Refused = false;  // the game refuses the set; otherwise it plays it, but not as meant
    int Level = 0;         // 1-based; 0 for the set as a whole
    int Brick = -1;        // the brick's index in its level; -1 for the level as a whole
    std::string Text;      // in Czech, naming the level and the brick

    friend bool operator==(const LevelRuleProblem&, const LevelRuleProblem&) = default;
};

// The game refuses a level count below 1 (and the file cannot hold one above 32767): the
// reason, or nothing.
std::string LevelCountProblem(int64_t count);
// "úroveň 3": how the problems of level 3 begin, each of them.
std::string LevelName(int level);
// The game refuses a level with fewer than 1 brick: the reason for level `level` (1-based), or
// nothing.
std::string BrickCountProblem(int level, int64_t bricks);

// Every problem of the set, refused ones first for each level, in the order of the levels and
// bricks. `brickPictures` is how many pictures the brick sheet holds (0 when not known: then
// pictures are not checked beyond being negative).
std::vector<LevelRuleProblem> CheckLevelSet(const std::vector<std::vector<BrickRecord>>& levels,
                                            int brickPictures = 0);

// The problems of one level, numbered `level` (1-based), appended to `problems` in CheckLevelSet's
// order: the part of the set's problems that the level alone decides.
void CheckLevel(const std::vector<BrickRecord>& bricks, int level, int brickPictures,
                std::vector<LevelRuleProblem>& problems);

// The levels of a level file that CheckLevelFile accepts, as LoadLevel reads them.
std::vector<std::vector<BrickRecord>> ReadLevelBlocks(const std::vector<uint8_t>& checkedBytes);

// True when one of the problems makes the game refuse the set.
bool AnyRefused(const std::vector<LevelRuleProblem>& problems);

}  // namespace ZapModule
