// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Playing a level set of one's own (`zapwall --levels FILE`): the set's players, hall of fame and
// replays live in a folder of the set's own under the user's folder, so progress in one set never
// mixes with another or with the shipped levels. The game reads its data from a folder there too:
// the game's own data with the set's file as its levels.ko.

#include <optional>
#include <string>
#include <vector>

#include "layout/data_layout.h"

namespace ZapModule {

// The folder of the set in `levelsFile` under the user's folder of `game`:
// sets/NAME-HASH, NAME the file's name without its extension (letters, digits, '-' and '_'
// kept, every other byte an underscore), HASH of its absolute path, so two sets of one name in
// different folders stay apart.
std::string LevelSetFolder(const DataLayout& game, const std::string& levelsFile);

// The layout of the game playing `levels`, the level file that the set file `levelsFile` gives
// (ReadLevelSetFile): the set's folder as the written folder, its `data` as the read one. Makes
// that data folder (the game's animations, pictures and sounds and the levels as levels.ko), or
// brings it up to date, writing only files that changed, each replaced whole. Nothing, with the
// reason in *problem, when the game would refuse the levels (then nothing is made) or the folder
// cannot be made.
std::optional<DataLayout> LevelSetLayout(const DataLayout& game, const std::string& levelsFile,
                                         const std::vector<uint8_t>& levels, std::string* problem);

}  // namespace ZapModule
