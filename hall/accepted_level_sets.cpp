// SPDX-License-Identifier: GPL-3.0-or-later
#include "hall/accepted_level_sets.h"

#include <cstdio>
#include <filesystem>

#include "game/contract/data_limits.h"
#include "layout/level_set_layout.h"
#include "platform/file_reading.h"
#include "storage/level_text.h"
#include "storage/replay_file.h"

namespace ZapModule {

std::string LevelsHashText(uint64_t hash) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

std::optional<AcceptedLevelSets> AcceptedLevelSets::Prepare(
    const DataLayout& game, const std::vector<std::string>& setFiles, const std::string& workFolder,
    std::string* problem) {
    AcceptedLevelSets accepted;
    const std::string shipped = game.DataFolder + "/levels.ko";
    const FileRead own = ReadRegularFile(shipped, kMaxLevelFileBytes);
    if (!own.Ok()) {
        *problem = shipped + ": " + DescribeReadFailure(own);
        return std::nullopt;
    }
    accepted.sets_.push_back({LevelsHashText(Fnv1a64(own.Bytes)), "zapwall", game.DataFolder});
    DataLayout work = game;
    work.UserFolder = workFolder;
    for (const std::string& file : setFiles) {
        const std::optional<std::vector<uint8_t>> levels = ReadLevelSetFile(file, problem);
        if (!levels) return std::nullopt;
        const std::optional<DataLayout> set = LevelSetLayout(work, file, *levels, problem);
        if (!set) return std::nullopt;
        std::string name = std::filesystem::path(file).stem().string();
        const std::string hash = LevelsHashText(Fnv1a64(*levels));
        if (!accepted.Find(hash)) accepted.sets_.push_back({hash, name, set->DataFolder});
    }
    return accepted;
}

const AcceptedLevelSet* AcceptedLevelSets::Find(std::string_view hash) const {
    for (const AcceptedLevelSet& set : sets_)
        if (set.Hash == hash) return &set;
    return nullptr;
}

}  // namespace ZapModule
