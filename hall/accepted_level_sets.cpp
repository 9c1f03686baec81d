// SPDX-License-Identifier: GPL-3.0-or-later
#include "hall/accepted_level_sets.h"

#include <QCryptographicHash>
#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "layout/level_set_layout.h"
#include "platform/file_reading.h"
#include "storage/file_problems.h"
#include "storage/level_text.h"
#include "storage/replay_file.h"
#include "values/data_limits.h"

namespace ZapModule {

std::string LevelsHashText(uint64_t hash) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

std::string LevelsAddress(const std::vector<uint8_t>& levels) {
    return QCryptographicHash::hash(QByteArrayView(reinterpret_cast<const char*>(levels.data()),
                                                   static_cast<qsizetype>(levels.size())),
                                    QCryptographicHash::Sha256)
        .toHex()
        .toStdString();
}

bool AcceptedLevelSets::Prepare(const DataLayout& game, const std::vector<std::string>& setFiles,
                                const std::string& workFolder, LevelSetStore& store,
                                std::string* problem) {
    const std::string shipped = game.DataFolder + "/levels.ko";
    const FileRead own = ReadRegularFile(shipped, kMaxLevelFileBytes);
    if (!own.Ok()) {
        *problem = shipped + ": " + DescribeReadFailure(own);
        return false;
    }
    installed_.push_back({LevelsHashText(Fnv1a64(own.Bytes)), LevelsAddress(own.Bytes), "zapwall",
                          game.DataFolder, std::nullopt});
    work_ = game;
    work_.UserFolder = workFolder;
    store_ = &store;
    for (const std::string& file : setFiles) {
        const std::optional<std::vector<uint8_t>> levels = ReadLevelSetFile(file, problem);
        if (!levels) return false;
        const std::optional<DataLayout> set = LevelSetLayout(work_, file, *levels, problem);
        if (!set) return false;
        const std::string hash = LevelsHashText(Fnv1a64(*levels));
        if (NameOf(hash).empty())
            installed_.push_back({hash, LevelsAddress(*levels),
                                  std::filesystem::path(file).stem().string(), set->DataFolder,
                                  std::nullopt});
    }
    return true;
}

std::optional<std::string> AcceptedLevelSets::PrepareFolder(const std::string& address,
                                                            const std::vector<uint8_t>& levels,
                                                            std::string* problem) const {
    // Named by its address, the folder of a set is the same whoever asks for it.
    const std::optional<DataLayout> set =
        LevelSetLayout(work_, work_.UserFolder + "/published/" + address + ".ko", levels, problem);
    if (!set) return std::nullopt;
    return set->DataFolder;
}

std::optional<AcceptedLevelSet> AcceptedLevelSets::Find(std::string_view hash,
                                                        std::string* problem) const {
    problem->clear();
    if (hash.size() != 16) return std::nullopt;
    for (const AcceptedLevelSet& set : installed_)
        if (set.Hash == hash) return set;
    const auto named = [&](const AcceptedLevelSet& set) { return set.Hash == hash; };
    bool known;
    {
        const std::lock_guard lock(mutex_);
        known = std::any_of(published_.begin(), published_.end(), named);
    }
    // Asked each time, for another copy of the server may have hidden it; the file only for a
    // set whose folder is not made yet (the list of those made only grows).
    std::vector<uint8_t> levels;
    const std::optional<PublishedSet> found =
        store_->Find(std::string(hash), known ? nullptr : &levels, problem);
    if (!found) return std::nullopt;
    const std::lock_guard lock(mutex_);
    if (const auto set = std::find_if(published_.begin(), published_.end(), named);
        set != published_.end()) {
        set->Published = found;
        return *set;
    }
    const std::optional<std::string> folder = PrepareFolder(found->Address, levels, problem);
    if (!folder) return std::nullopt;
    published_.push_back({found->Levels, found->Address, found->Title, *folder, found});
    return published_.back();
}

std::string AcceptedLevelSets::NameOf(std::string_view hash) const {
    for (const AcceptedLevelSet& set : installed_)
        if (set.Hash == hash) return set.Name;
    const std::lock_guard lock(mutex_);
    for (const AcceptedLevelSet& set : published_)
        if (set.Hash == hash) return set.Name;
    return {};
}

}  // namespace ZapModule
