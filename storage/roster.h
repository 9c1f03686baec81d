// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// players.ko and the roster Players, kept in the order of the menu's list List1.

#include <cstdint>
#include <string>
#include <vector>

#include "model/state.h"

namespace ZapModule {

inline constexpr char kRosterFile[] = "players.ko";

// The file format: the highest index (count - 1), then per player its name, SpareBalls and the
// 16-bit Iq and Level.
struct RosterRead {
    std::vector<PlayerRecord> Players;  // every complete record
    std::string Problem;                // what is damaged, naming players.ko; empty when whole
};
// An empty file is an empty roster, as a missing one.
RosterRead ParseRoster(const std::vector<uint8_t>& bytes);
// Iq and Level beyond 16 bits are saturated; a roster longer than a 16-bit count can announce
// keeps its first 32768 players.
std::vector<uint8_t> SerializeRoster(const std::vector<PlayerRecord>& players);

}  // namespace ZapModule
