// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What there is to say about the data files the game keeps (players.ko, hall.ko, tick.ko): a
// damaged or unreadable file, set aside here, and a save that failed. The sentences are returned;
// the game's rules (game/file_notices) decide when the player is told them.

#include <optional>
#include <string>

#include "storage/data_files.h"

namespace ZapModule {

// Keeps a copy of NAME under the first free name of NAME.damaged, NAME.damaged.1, … (an earlier
// kept copy is never replaced), so that the next save cannot lose what it held; the name of the
// copy, or nothing when none could be made.
std::optional<std::string> KeepDamagedCopy(DataFiles& files, const std::string& name);

inline const std::string kPartUsed = "Použila se jeho nepoškozená část.";

// Sets a damaged file aside and says so: `problem` is what is damaged ("players.ko: …"), `used`
// what the game took from it. `files` may be null (a game with no data files).
std::string SetAsideDamagedFile(DataFiles* files, const std::string& name,
                                const std::string& problem, const std::string& used);
// Sets aside a file that is there but could not be read at all, and says why.
std::string SetAsideUnreadableFile(DataFiles* files, const std::string& name);
// Says that NAME could not be saved, where and why. The reason is the data files' last failed
// write unless the caller knows its own.
std::string FailedSaveText(DataFiles* files, const std::string& name,
                           const std::optional<std::string>& why);

}  // namespace ZapModule
