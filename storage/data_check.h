#pragma once
// The start-up check of a data folder: the files the game cannot do without are read whole and
// checked before anything else is loaded, so a damaged folder is refused with a clear message
// instead of crashing or misbehaving later.

#include <string>
#include <vector>

#include "graphics/sprites.h"

namespace ZapModule {

// The problems of levels.ko, animations.ko and the fourteen pictures (loaded through `load`), one
// text each, in that order; empty when the game can use the folder. The game refuses the folder
// with the first.
std::vector<std::string> CheckGameData(const std::string& dataDir, const PictureLoader& load);

// The problems of the files the game writes (players.ko, hall.ko, tick.ko), where present: the
// game copes with them (it uses what is whole and keeps a damaged file aside), but a maintainer
// wants to know.
std::vector<std::string> CheckSavedFiles(const std::string& dataDir);

}  // namespace ZapModule
