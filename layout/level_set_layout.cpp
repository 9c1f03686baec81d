// SPDX-License-Identifier: GPL-3.0-or-later
#include "layout/level_set_layout.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>

#include "platform/file_reading.h"
#include "storage/disk_data_files.h"
#include "storage/file_problems.h"
#include "storage/level_file.h"
#include "storage/replay_file.h"
#include "values/data_limits.h"

namespace ZapModule {

namespace fs = std::filesystem;

namespace {

// What the game reads from its data folder besides levels.ko, and the largest such file may be.
constexpr const char* kSharedData[] = {"animations.ko", "pictures", "sounds"};
constexpr size_t kMaxSharedFileBytes =
    std::max({kMaxAnimationFileBytes, kMaxPictureFileBytes, kMaxSoundFileBytes});

std::string SafeName(const std::string& stem) {
    std::string name;
    for (char c : stem) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '-' || c == '_';
        name += plain ? c : '_';
    }
    return name.empty() ? "sada" : name;
}

// Writes `bytes` to `path` unless the file already holds them, through a replacement, so a game
// starting on the same set meanwhile reads the old file or the new one, never half of one.
bool KeepCopy(const std::string& path, const std::vector<uint8_t>& bytes, std::string* problem) {
    const FileRead there = ReadRegularFile(path, bytes.size());
    if (there.Ok() && there.Bytes == bytes) return true;
    int error = 0;
    if (fs::path folder = fs::path(path).parent_path(); !MakeFolders(folder.string())) {
        *problem = folder.string() + ": složku nelze vytvořit (" + WriteErrorText(errno) + ")";
        return false;
    }
    if (ReplaceFile(path, bytes, {}, &error)) return true;
    *problem = path + ": " + WriteErrorText(error);
    return false;
}

// Copies the files of `from` (a file or a folder tree) to `to`, each as KeepCopy writes it.
bool KeepCopies(const fs::path& from, const fs::path& to, std::string* problem) {
    std::error_code error;
    // What the game's data lacks, the game's own start-up check reports.
    if (!fs::exists(from, error)) return true;
    std::vector<fs::path> files;
    fs::path looked = from;  // the last path looked at: the one an error is about
    if (fs::is_directory(from, error)) {
        for (fs::recursive_directory_iterator it(from, error), end; !error && it != end;
             it.increment(error)) {
            looked = it->path();
            const fs::file_status kind = it->status(error);
            if (kind.type() == fs::file_type::not_found) error.clear();  // a dangling link
            if (error) break;  // before the next step clears it
            if (fs::is_regular_file(kind)) files.push_back(looked);
        }
    } else {
        files.push_back(from);
    }
    if (error) {
        *problem = looked.string() + ": " + FolderReadErrorText(error.value());
        return false;
    }
    for (const fs::path& file : files) {
        const FileRead read = ReadRegularFile(file.string(), kMaxSharedFileBytes);
        if (!read.Ok()) {
            *problem = file.string() + ": " + DescribeReadFailure(read);
            return false;
        }
        const fs::path target = file == from ? to : to / file.lexically_relative(from);
        if (!KeepCopy(target.string(), read.Bytes, problem)) return false;
    }
    return true;
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
                                         const std::vector<uint8_t>& levels, std::string* problem) {
    if (const std::vector<std::string> refused = CheckLevelFile(levels); !refused.empty()) {
        *problem = levelsFile + " nelze hrát: " + refused[0];
        return std::nullopt;
    }
    DataLayout set = game;
    set.UserFolder = LevelSetFolder(game, levelsFile);
    set.DataFolder = set.UserFolder + "/data";
    // The game's own data is brought up to date each time, so an updated game brings its
    // pictures; what is unchanged is not written again.
    for (const char* name : kSharedData) {
        if (!KeepCopies(fs::path(game.DataFolder) / name, fs::path(set.DataFolder) / name, problem))
            return std::nullopt;
    }
    if (!KeepCopy(set.DataFolder + "/levels.ko", levels, problem)) return std::nullopt;
    return set;
}

}  // namespace ZapModule
