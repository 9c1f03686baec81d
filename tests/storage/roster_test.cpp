// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/roster.h"

#include <gtest/gtest.h>

#include "storage_test_support.h"

namespace ZapModule {
namespace {

using testing::ToValues16;
using testing::Values16;

TEST(RosterFormat, StoresEachFieldAsA16BitValueWithCodesPlusTwo) {
    EXPECT_EQ(ToValues16(SerializeRoster({PlayerRecord{"ABC", 120, 2, 3}})),
              (std::vector<int16_t>{0, 3, 67, 68, 69, 3, 120, 2}));
    // č is 232 in the code page; a character outside it is stored as '?' (63 + 2).
    EXPECT_EQ(ToValues16(SerializeRoster({PlayerRecord{"č日", 0, 0, 1}})),
              (std::vector<int16_t>{0, 2, 234, 65, 1, 0, 0}));
}

TEST(RosterFormat, ScoresAndLevelsBeyond16BitsAreSaturatedNotWrapped) {
    EXPECT_EQ(ToValues16(SerializeRoster({PlayerRecord{"", 40000, -70000, 0}})),
              (std::vector<int16_t>{0, 0, 0, 32767, -32768}));
    EXPECT_EQ(ToValues16(SerializeRoster({PlayerRecord{"", -32768, 32767, -1}})),
              (std::vector<int16_t>{0, 0, -1, -32768, 32767}));
}

TEST(RosterFormat, TheCodes2And257AreTheCodePagesEnds) {
    const RosterRead read = ParseRoster(Values16({0, 3, 2 + 'A', 257, 2, 0, 0, 0}));
    ASSERT_EQ(read.Players.size(), 1u);
    EXPECT_EQ(read.Problem, "");
    EXPECT_EQ(read.Players[0].Name, std::string("A\u02D9") + '\0');  // 0xFF is the dot above
}

}  // namespace
}  // namespace ZapModule
