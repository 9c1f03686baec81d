#pragma once
// Playing a level set of one's own (`zapwall --levels FILE`): the set's players, hall of fame and
// replays live in a folder of the set's own under the user's folder, so progress in one set never
// mixes with another or with the shipped levels. The game reads its data from a folder there too:
// the game's own data with the set's file as its levels.ko.

#include <optional>
#include <string>

#include "layout/data_layout.h"

namespace ZapModule {

// The folder of the set in `levelsFile` under the user's folder of `game`:
// sets/NAME-HASH, NAME the file's name without its extension (letters, digits, '-' and '_'
// kept, every other byte an underscore), HASH of its absolute path, so two sets of one name in
// different folders stay apart.
std::string LevelSetFolder(const DataLayout& game, const std::string& levelsFile);

// The layout of the game playing `levelsFile`: the set's folder as the written folder, its
// `data` as the read one. Makes that data folder (the game's animations, pictures and sounds and
// a copy of the set's file as levels.ko), or brings it up to date, writing only files that
// changed, each replaced whole. Nothing, with the reason in *problem, when the file
// cannot be read or the folder cannot be made; the game's start-up check judges the levels.
std::optional<DataLayout> LevelSetLayout(const DataLayout& game, const std::string& levelsFile,
                                         std::string* problem);

}  // namespace ZapModule
