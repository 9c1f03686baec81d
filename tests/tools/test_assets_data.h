// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The data folder the build generated (ZAPWALL_DATA_DIR), read the way the game reads it.

#include <cstdint>
#include <string>
#include <vector>

#include "model/state.h"
#include "tests/lib/test_files.h"

namespace AssetTests {

inline std::string DataFolder() {
    return ZAPWALL_DATA_DIR;
}

inline std::vector<uint8_t> ReadDataFile(const std::string& relative) {
    return ZapModule::testing::ReadBytes(DataFolder() + "/" + relative);
}

// Grid of the level layouts: 25 x 19 cells (ZapModule::kCellWidth x kCellHeight).
constexpr int kColumns = 25, kRows = 19;

}  // namespace AssetTests
