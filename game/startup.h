// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What start-up reads from the data folder, in the entry routine's order, shared by the game and
// zapwall-sim: the game screen's load, the sprites, the animation table, the bonus timers, the
// roster, the hall of fame and the level file. Every file the game cannot do without is checked
// before it is used, so a damaged folder is refused with a message naming the file.

#include <string>

#include "graphics/sprites.h"
#include "model/state.h"

namespace ZapModule {

struct StartupResult {
    std::string Refusal;          // why the folder cannot be played; empty when it was loaded
    Surface Background;           // the game screen's picture pictures/gui
    uint64_t LevelsHash = 0;      // FNV-1a 64 of levels.ko and animations.ko as loaded, which a
    uint64_t AnimationsHash = 0;  // recording keeps to refuse replaying them with other files
};

// Loads DataFolder into the state. GameState::Window and Files must be set. Nothing is
// written; on a refusal the state is left partly loaded and must not be played.
StartupResult LoadGameData(GameState& s, const PictureLoader& load);

}  // namespace ZapModule
