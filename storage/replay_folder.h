// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The folder of recorded games: every game's replay written crash-safely under a name made of
// its date, time and player, and only the newest ones kept.

#include <cstddef>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "storage/replay_file.h"

namespace ZapModule {

// The folder of the player's files that holds the recorded games.
inline constexpr std::string_view kReplayFolder = "replays";
constexpr size_t kKeptReplays = 100;

// A moment as a replay's "recorded" line gives it: local "2026-12-07 23:40:12".
std::string RecordedTime(std::time_t when);

// The file name of a replay: "2026-12-07_23-40-12_Pepa.zapwall-replay" for a game recorded at
// "2026-12-07 23:40:12" by Pepa. Only letters, digits, '-' and the bytes of non-ASCII letters
// are kept from the name; anything else, a '/' or a '.' too, becomes '_'.
std::string ReplayFileName(const std::string& recorded, const std::string& player);

// Writes the replay into `folder` (made when missing) under its file name, or with "-2", "-3"...
// when that is taken, then removes the oldest recordings beyond `keep`; the one just written is
// never among them. Only files named as this program names them are ever removed, and
// temporary files a killed save left there. Returns the path written, or nothing when it failed,
// with the reason in `problem` when given ("disk je plný").
std::optional<std::string> SaveReplay(const std::string& folder, const Replay& replay,
                                      size_t keep = kKeptReplays, std::string* problem = nullptr);

// The replay SaveReplay wrote into `folder` for the game recorded as `head` says whose text begins
// with `text`, if there is one: the path of a game saved already, whole or cut short.
std::optional<std::string> KeptReplayBeginningWith(const std::string& folder, const Replay& head,
                                                   std::string_view text);

// The recordings in `folder` that SaveReplay named, in the order they were written (by the file
// system's time of their last write, not by the date their names give), oldest first. One whose
// time lies in the future counts as older than all others: a clock set ahead wrote it.
std::vector<std::string> KeptReplays(const std::string& folder);

}  // namespace ZapModule
