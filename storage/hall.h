// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// hall.ko and the ten-entry hall of fame table GameState::Hall.

#include <cstdint>
#include <string>
#include <vector>

#include "model/state.h"

namespace ZapModule {

inline constexpr char kHallFile[] = "hall.ko";

// The file format: ten entries, each a name and a 16-bit score, with no count; whatever follows
// the tenth entry is left alone.
struct HallRead {
    HallTable Table = DefaultHallTable();  // complete entries read, the rest as designed
    std::string Problem;                   // what is damaged, naming hall.ko; empty when whole
    size_t TailBytes = 0;                  // bytes after the ten entries
};
// An empty file gives the design table, as a missing one.
HallRead ParseHall(const std::vector<uint8_t>& bytes);
// The ten entries (scores saturated to 16 bits), followed by the old file's bytes beyond them,
// as writing over the old file in place would leave them.
std::vector<uint8_t> SerializeHall(const HallTable& table, const std::vector<uint8_t>& oldBytes);

}  // namespace ZapModule
