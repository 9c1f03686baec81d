// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A replay file as readable text, for `zapwall-data show`.

#include <string>

#include "storage/replay_file.h"
#include "tools/zapwall_data_show.h"

namespace ZapModule {

// Whether the path names a replay (by its extension).
bool IsReplayPath(const std::string& path);

// The recording in words: the game's beginning, every input with the step it came before, and
// the end, with every name escaped as the data files' are. A foreign or damaged file gives only
// the reason it is refused, marked Damaged.
ShownFile ShowReplay(const ReplayParse& parsed);

}  // namespace ZapModule
