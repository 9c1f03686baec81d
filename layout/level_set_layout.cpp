#include "layout/level_set_layout.h"

#include <cstdio>
#include <filesystem>

#include "game/contract/data_limits.h"
#include "game/contract/file_reading.h"
#include "storage/disk_data_files.h"
#include "storage/replay_file.h"

namespace ZapModule {

namespace fs = std::filesystem;

namespace {

// What the game reads from its data folder besides levels.ko.
constexpr const char* kSharedData[] = {"animations.ko", "pictures", "sounds"};

std::string SafeName(const std::string& stem) {
    std::string name;
    for (char c : stem) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '-' || c == '_';
        name += plain ? c : '_';
    }
    return name.empty() ? "sada" : name;
}

}  // namespace

std::string LevelSetFolder(const DataLayout& game, const std::string& levelsFile) {
    std::error_code error;
    fs::path path = fs::absolute(levelsFile, error).lexically_normal();
    if (error) path = levelsFile;
    const std::string absolute = path.string();
    char hash[9];
    std::snprintf(hash, sizeof hash, "%08x",
                  static_cast<unsigned>(Fnv1a64(absolute.data(), absolute.size()) & 0xffffffffu));
    return game.UserFolder + "/sets/" + SafeName(path.stem().string()) + "-" + hash;
}

std::optional<DataLayout> LevelSetLayout(const DataLayout& game, const std::string& levelsFile,
                                         std::string* problem) {
    const FileRead levels = ReadRegularFile(levelsFile, kMaxLevelFileBytes);
    if (!levels.Ok()) {
        *problem = levelsFile + ": " + DescribeReadFailure(levels);
        return std::nullopt;
    }
    DataLayout set = game;
    set.UserFolder = LevelSetFolder(game, levelsFile);
    set.DataFolder = set.UserFolder + "/data";
    std::error_code error;
    if (!MakeFolders(set.DataFolder)) {
        *problem = set.DataFolder + ": složku nelze vytvořit";
        return std::nullopt;
    }
    // The game's own data is copied afresh each time, so an updated game brings its pictures.
    for (const char* name : kSharedData) {
        const fs::path from = fs::path(game.DataFolder) / name,
                       to = fs::path(set.DataFolder) / name;
        fs::remove_all(to, error);
        fs::copy(from, to, fs::copy_options::recursive, error);
        if (error) {
            *problem = to.string() + ": " + error.message();
            return std::nullopt;
        }
    }
    int writeError = 0;
    if (!ReplaceFile(set.DataFolder + "/levels.ko", levels.Bytes, {}, &writeError)) {
        *problem = set.DataFolder + "/levels.ko: " + WriteErrorText(writeError);
        return std::nullopt;
    }
    return set;
}

}  // namespace ZapModule
