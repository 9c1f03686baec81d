// SPDX-License-Identifier: GPL-3.0-or-later
// The cell every brick and bonus item stands in: one rectangle, whether the brick comes from the
// level file or the item from a destroyed brick, with the level file's 16-bit edges.

#include <gtest/gtest.h>

#include "game/bricks.h"
#include "game_fixture.h"
#include "model/field_geometry.h"
#include "storage/level_file.h"
#include "storage/level_text.h"

namespace ZapModule {
namespace {

TEST(CellRectTest, EdgesAreSixteenBitSums) {
    EXPECT_EQ(CellRect(480, 450), (Rect{480, 450, 500, 475}));
    EXPECT_EQ(CellRect(-32768, -32768), (Rect{-32768, -32768, -32748, -32743}));
    EXPECT_EQ(CellRect(32747, 32742), (Rect{32747, 32742, 32767, 32767}));
    // Any closer to 32767 an edge wraps: the cell is empty, and no ball or mover hits it.
    const Rect wrapped = CellRect(32760, 32750);
    EXPECT_EQ(wrapped, (Rect{32760, 32750, -32756, -32761}));
    EXPECT_TRUE(IsRectEmpty(wrapped));
}

class CellTest : public GameFixture {};

TEST_F(CellTest, LevelFileBricksAndReleasedBonusesGetTheSameCell) {
    // One level: a brick on the field's edge and one whose edges wrap, both with a bonus.
    OpenLevelFile(
        s, CompileLevelText("level\nbrick 480 450 5 0 0 3\nbrick 32760 32750 5 0 0 4\n").Bytes);
    LoadLevel(s);
    ASSERT_EQ(s.BrickCount(), 2);
    const Rect edge = s.BrickRects[0], far = s.BrickRects[1];  // values: LoadLevel's test
    DestroyBrick(s, 1);
    DestroyBrick(s, 0);
    ASSERT_EQ(s.BonusCount(), 2);
    EXPECT_EQ(s.BonusRects[0], far);
    EXPECT_EQ(s.BonusRects[1], edge);
}

}  // namespace
}  // namespace ZapModule
