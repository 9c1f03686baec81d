// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/startup.h"

#include "game/data_check.h"
#include "game/kept_files.h"
#include "game/level_flow.h"
#include "graphics/animations.h"
#include "storage/level_file.h"
#include "storage/replay_file.h"

namespace ZapModule {

StartupResult LoadGameData(GameState& s, const PictureLoader& load) {
    StartupResult result;
    // The same reading, limits and texts as `zapwall-data check`.
    RequiredFile levels = ReadRequiredFile(s.DataFolder, "levels.ko", s.LevelsFile);
    RequiredFile animations = ReadRequiredFile(s.DataFolder, "animations.ko");
    for (const RequiredFile* file : {&levels, &animations}) {
        if (!file->Problems.empty()) {
            result.Refusal = file->Problems.front();
            return result;
        }
    }
    result.LevelsHash = Fnv1a64(levels.Bytes);
    result.AnimationsHash = Fnv1a64(animations.Bytes);
    std::string why;
    std::optional<Surface> background = LoadCheckedPicture(load, DataPath(s, "pictures/gui"), why);
    if (!background) {
        result.Refusal = "pictures/gui: " + why;
        return result;
    }
    result.Background = std::move(*background);

    InitProgramState(s);
    LoadGameScreen(s);
    std::string failed;
    if (!LoadSprites(s, load, &failed, &why)) {
        result.Refusal = failed + ": " + why;
        return result;
    }
    LoadAnimations(s, animations.Bytes);
    LoadRoster(s);
    LoadHallOfFame(s);
    OpenLevelFile(s, std::move(levels.Bytes));
    return result;
}

}  // namespace ZapModule
