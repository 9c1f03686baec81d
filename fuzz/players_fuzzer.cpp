// SPDX-License-Identifier: GPL-3.0-or-later
// players.ko: any bytes give the complete records and, when anything is wrong, a problem; what is
// read, written again, reads back the same and whole.

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "storage/roster.h"

using namespace ZapModule;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const RosterRead read = ParseRoster(std::vector<uint8_t>(data, data + size));
    const RosterRead again = ParseRoster(SerializeRoster(read.Players));
    if (!again.Problem.empty() || again.Players.size() != read.Players.size()) std::abort();
    for (size_t i = 0; i < read.Players.size(); ++i) {
        const PlayerRecord &a = read.Players[i], &b = again.Players[i];
        if (a.Name != b.Name || a.Iq != b.Iq || a.Level != b.Level || a.SpareBalls != b.SpareBalls)
            std::abort();
    }
    return 0;
}
