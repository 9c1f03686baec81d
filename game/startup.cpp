#include "game/startup.h"

#include "game/level_flow.h"
#include "graphics/animations.h"
#include "storage/disk_data_files.h"
#include "storage/hall.h"
#include "storage/level_file.h"
#include "storage/replay_file.h"
#include "storage/roster.h"

namespace ZapModule {

namespace {

// A read-only data file the game cannot do without, with its problems; empty bytes when refused.
std::string ReadChecked(const std::string& path, const std::string& name,
                        std::vector<std::string> (*check)(const std::vector<uint8_t>&),
                        std::vector<uint8_t>& bytes) {
    std::optional<std::vector<uint8_t>> read = ReadWholeFile(path);
    if (!read) return name + ": soubor chybí nebo ho nelze přečíst";
    std::vector<std::string> problems = check(*read);
    if (!problems.empty()) return problems.front();
    bytes = std::move(*read);
    return {};
}

}  // namespace

StartupResult LoadGameData(GameState& s, const PictureLoader& load) {
    StartupResult result;
    std::vector<uint8_t> levels, animations;
    result.Refusal = ReadChecked(DataPath(s, "levels.ko"), "levels.ko", CheckLevelFile, levels);
    if (result.Refusal.empty())
        result.Refusal = ReadChecked(DataPath(s, "animations.ko"), "animations.ko",
                                     CheckAnimationFile, animations);
    if (!result.Refusal.empty()) return result;
    result.LevelsHash = Fnv1a64(levels);
    result.AnimationsHash = Fnv1a64(animations);
    std::optional<Surface> background = load(DataPath(s, "pictures/gui"));
    if (!background) {
        result.Refusal = "pictures/gui: obrázek chybí nebo ho nelze načíst";
        return result;
    }
    result.Background = std::move(*background);

    InitProgramState(s);
    LoadGameScreen(s);
    std::string failed;
    if (!LoadSprites(s, load, &failed)) {
        result.Refusal = failed + ": obrázek chybí nebo ho nelze načíst";
        return result;
    }
    LoadAnimations(s, animations);
    LoadRoster(s);
    LoadHallOfFame(s);
    OpenLevelFile(s, std::move(levels));
    return result;
}

}  // namespace ZapModule
