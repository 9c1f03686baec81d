// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The level sets the hall accepts games on, each known by the hash its replays name it with
// (FNV-1a 64 of levels.ko, as the `levels` line writes it) and played on a data folder of its
// own: the game's data with the set as levels.ko.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "layout/data_layout.h"

namespace ZapModule {

struct AcceptedLevelSet {
    std::string Hash;  // 16 hexadecimal digits, as in a replay
    std::string Name;  // the set file's name without its extension, or "zapwall" for the game's
    std::string DataFolder;
};

class AcceptedLevelSets {
  public:
    // The game's own set from `game`'s data folder, then each of `setFiles` (a level text or a
    // levels.ko) with a data folder made for it under `workFolder`. Nothing, with the reason in
    // *problem, when a set cannot be read or played.
    static std::optional<AcceptedLevelSets> Prepare(const DataLayout& game,
                                                    const std::vector<std::string>& setFiles,
                                                    const std::string& workFolder,
                                                    std::string* problem);

    const AcceptedLevelSet* Find(std::string_view hash) const;
    const std::vector<AcceptedLevelSet>& All() const { return sets_; }

  private:
    std::vector<AcceptedLevelSet> sets_;
};

// A hash as a replay's `levels` line writes it.
std::string LevelsHashText(uint64_t hash);

}  // namespace ZapModule
