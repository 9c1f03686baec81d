// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/data_check.h"

#include <optional>

#include "graphics/animations.h"
#include "platform/file_reading.h"
#include "sound/sound.h"
#include "sound/wav_check.h"
#include "storage/disk_data_files.h"
#include "storage/file_problems.h"
#include "storage/hall.h"
#include "storage/level_file.h"
#include "storage/level_rules.h"
#include "storage/roster.h"
#include "storage/tick.h"
#include "values/data_limits.h"

namespace ZapModule {

namespace {

// The file's bytes, or a problem naming it when it is missing or cannot be read.
std::optional<std::vector<uint8_t>> ReadOrComplain(const std::string& path, const std::string& name,
                                                   size_t limit,
                                                   std::vector<std::string>& problems) {
    FileRead read = ReadRegularFile(path, limit);
    if (!read.Ok()) {
        problems.push_back(name + ": " + DescribeReadFailure(read));
        return std::nullopt;
    }
    return std::move(read.Bytes);
}

void Append(std::vector<std::string>& problems, const std::vector<std::string>& more) {
    problems.insert(problems.end(), more.begin(), more.end());
}

}  // namespace

RequiredFile ReadRequiredFile(const std::string& dataDir, const std::string& name,
                              const std::string& at) {
    const bool levels = name == "levels.ko";
    RequiredFile file;
    auto bytes =
        ReadOrComplain(at.empty() ? dataDir + "/" + name : at, name,
                       levels ? kMaxLevelFileBytes : kMaxAnimationFileBytes, file.Problems);
    if (!bytes) return file;
    file.Problems = levels ? CheckLevelFile(*bytes) : CheckAnimationFile(*bytes);
    if (file.Problems.empty()) file.Bytes = std::move(*bytes);
    return file;
}

std::optional<Surface> LoadCheckedPicture(const PictureLoader& load, const std::string& path,
                                          std::string& why) {
    why = "obrázek nelze načíst";
    std::optional<Surface> picture = load ? load(path, &why) : std::nullopt;
    if (!picture) return std::nullopt;
    why = PictureSizeProblem(picture->Width(), picture->Height());
    if (!why.empty()) return std::nullopt;
    return picture;
}

std::vector<std::string> PictureNames() {
    std::vector<std::string> names{"pictures/gui"};
    for (int sprite = 0; sprite < kSpriteCount; ++sprite) names.push_back(SpritePicture(sprite));
    return names;
}

std::vector<std::string> CheckGameData(const std::string& dataDir, const PictureLoader& load) {
    std::vector<std::string> problems;
    Append(problems, ReadRequiredFile(dataDir, "levels.ko").Problems);
    Append(problems, ReadRequiredFile(dataDir, "animations.ko").Problems);
    for (const std::string& picture : PictureNames()) {
        std::string why;
        if (!LoadCheckedPicture(load, dataDir + "/" + picture, why))
            problems.push_back(picture + ": " + why);
    }
    return problems;
}

std::vector<std::string> CheckLevelPlay(const std::string& dataDir, const PictureLoader& load) {
    const RequiredFile levels = ReadRequiredFile(dataDir, "levels.ko");
    if (!levels.Problems.empty()) return {};
    std::string why;
    const std::optional<Surface> sheet =
        LoadCheckedPicture(load, dataDir + "/" + SpritePicture(kBrickSheetSprite), why);
    const int pictures = sheet ? sheet->Width() / kCellWidth : 0;
    std::vector<std::string> problems;
    for (const LevelRuleProblem& p : CheckLevelSet(ReadLevelBlocks(levels.Bytes), pictures))
        problems.push_back("levels.ko: " + p.Text);
    return problems;
}

std::vector<std::string> CheckSounds(const std::string& dataDir) {
    std::vector<std::string> problems;
    for (const std::string_view file : kEffectFiles) {
        const std::string name = "sounds/" + std::string(file);
        const auto bytes = ReadOrComplain(dataDir + "/" + name, name, kMaxSoundFileBytes, problems);
        if (!bytes) continue;
        if (const std::string problem = WavProblem(*bytes); !problem.empty())
            problems.push_back(name + ": " + problem);
    }
    return problems;
}

std::vector<std::string> CheckSavedFiles(const std::string& dataDir) {
    std::vector<std::string> problems;
    DiskDataFiles files(dataDir);
    const auto readIfThere = [&](const std::string& name) -> std::optional<std::vector<uint8_t>> {
        if (!files.Exists(name)) return std::nullopt;
        return ReadOrComplain(files.PathOf(name), name, kMaxKeptFileBytes, problems);
    };
    if (const auto roster = readIfThere(kRosterFile)) {
        if (RosterRead read = ParseRoster(*roster); !read.Problem.empty()) {
            problems.push_back(read.Problem);
        }
    }
    if (const auto hall = readIfThere(kHallFile)) {
        if (HallRead read = ParseHall(*hall); !read.Problem.empty()) {
            problems.push_back(read.Problem);
        }
    }
    if (const auto tick = readIfThere(kTickFile)) {
        if (TickRead read = ReadTick(*tick); !read.Problem.empty()) {
            problems.push_back(read.Problem);
        }
    }
    return problems;
}

}  // namespace ZapModule
