// SPDX-License-Identifier: GPL-3.0-or-later
// tick.ko: any bytes give a setting from 1 to 10000, and the setting written reads back as itself.

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "storage/tick.h"

using namespace ZapModule;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const TickRead read = ReadTick(std::vector<uint8_t>(data, data + size));
    if (read.Value < kMinTick || read.Value > kMaxTick) std::abort();
    if ((read.Status == TickRead::Kind::NoNumber) != read.Number.empty()) std::abort();
    const TickRead again = ReadTick(FormatTick(read.Value));
    if (again.Status != TickRead::Kind::InRange || again.Value != read.Value) std::abort();
    return 0;
}
