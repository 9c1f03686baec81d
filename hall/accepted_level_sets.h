// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The level sets the hall accepts games on: those its operator installed and those players
// published (LevelSetStore). Each is known by the hash its replays name it with (FNV-1a 64 of
// levels.ko, as the `levels` line writes it) and by its address (the SHA-256 of the same file),
// and played on a data folder of its own: the game's data with the set as levels.ko.

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "hall/level_set_store.h"
#include "layout/data_layout.h"

namespace ZapModule {

struct AcceptedLevelSet {
    std::string Hash;     // 16 hexadecimal digits, as in a replay
    std::string Address;  // 64 hexadecimal digits
    // An installed set's file name without its extension, or "zapwall" for the game's own; a
    // published set's title.
    std::string Name;
    std::string DataFolder;
    std::optional<PublishedSet> Published;  // for a set a player published
};

class AcceptedLevelSets {
  public:
    // The game's own set from `game`'s data folder, then each of `setFiles` (a level text or a
    // levels.ko) with a data folder made for it under `workFolder`, and the sets published in
    // `store`. False, with the reason in *problem, when a set cannot be read or played.
    bool Prepare(const DataLayout& game, const std::vector<std::string>& setFiles,
                 const std::string& workFolder, LevelSetStore& store, std::string* problem);

    // The set whose replays name `hash`: an installed one, or a published one, its data folder
    // made at its first use. Nothing, with *problem empty, when there is none; the reason when
    // the database or the folder failed.
    std::optional<AcceptedLevelSet> Find(std::string_view hash, std::string* problem) const;
    // The data folder for `levels`, a level file the game accepts, made under the work folder.
    std::optional<std::string> PrepareFolder(const std::string& address,
                                             const std::vector<uint8_t>& levels,
                                             std::string* problem) const;
    // The installed sets.
    const std::vector<AcceptedLevelSet>& Installed() const { return installed_; }
    // The installed or published set's name that `hash` names, as far as it is known here;
    // empty otherwise.
    std::string NameOf(std::string_view hash) const;

  private:
    std::vector<AcceptedLevelSet> installed_;
    DataLayout work_;
    LevelSetStore* store_ = nullptr;
    mutable std::mutex mutex_;
    mutable std::vector<AcceptedLevelSet> published_;  // those whose folder is made
};

// A hash as a replay's `levels` line writes it.
std::string LevelsHashText(uint64_t hash);
// A level file's address: its SHA-256 in hexadecimal.
std::string LevelsAddress(const std::vector<uint8_t>& levels);

}  // namespace ZapModule
