// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The eight sound effects of the game, by file name.

#include <string>
#include <vector>

#include "tools/asset_generator/sound_synth.h"

namespace ZapAssets {

struct NamedEffect {
    std::string fileName;  // under data/sounds
    Effect effect;
};

std::vector<NamedEffect> GameSoundEffects();

}  // namespace ZapAssets
