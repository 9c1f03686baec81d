// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/hall.h"

#include <gtest/gtest.h>

#include "storage_test_support.h"

namespace ZapModule {
namespace {

TEST(HallFormat, TheDesignTableIsTenEmptyNamesWithTheirScores) {
    EXPECT_EQ(testing::ToValues16(SerializeHall(DefaultHallTable(), {})),
              (std::vector<int16_t>{0, 1000, 0, 900, 0, 800, 0, 700, 0, 600,
                                    0, 500,  0, 400, 0, 300, 0, 200, 0, 100}));
}

}  // namespace
}  // namespace ZapModule
