#pragma once
// A replay file as readable text, for `zapwall-data show`.

#include <cstdint>
#include <string>
#include <vector>

#include "tools/zapwall_data_show.h"

namespace ZapModule {

// Whether the path names a replay (by its extension).
bool IsReplayPath(const std::string& path);

// The recording in words: the game's beginning, every input with the step it came before, and
// the end. A foreign or damaged file gives only the reason it is refused, marked Damaged.
ShownFile ShowReplay(const std::vector<uint8_t>& bytes);

}  // namespace ZapModule
