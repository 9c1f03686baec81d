// SPDX-License-Identifier: GPL-3.0-or-later
// Game data copied and compared as a whole, and what differs between two of them named the way
// a test failure or zapwall-sim reports it.

#include <gtest/gtest.h>

#include <cmath>

#include "game/state_difference.h"
#include "model/state.h"

namespace ZapModule {
namespace {

TEST(DataDifferenceTest, CopiesAreEqualAndHaveNoDifference) {
    GameData a;
    a.Balls = {BallRecord{1, 2, 1.5f, -1}};
    a.Field = Surface(4, 3);
    a.Random.Next();
    const GameData b = a;
    EXPECT_TRUE(a == b);
    EXPECT_EQ(DataDifference(a, b), "");
}

TEST(DataDifferenceTest, NamesTheDifferingMembersUpToTheLimit) {
    GameData a;
    a.Balls.resize(3);
    a.Balls[2].Dx = 1.5f;
    GameData b = a;
    b.Balls[2].Dx = -1.5f;
    EXPECT_FALSE(a == b);
    EXPECT_EQ(DataDifference(a, b), "Balls[2].Dx: 1.5 != -1.5");
    b.BatTop = 7;
    b.Steps = 3;
    EXPECT_EQ(DataDifference(a, b), "Steps: 0 != 3; BatTop: 0 != 7; Balls[2].Dx: 1.5 != -1.5");
    EXPECT_EQ(DataDifference(a, b, 1), "Steps: 0 != 3");
    // Floats are written with every digit that tells them apart.
    b = a;
    b.Balls[2].Dx = std::nextafter(1.5f, 2.0f);
    EXPECT_EQ(DataDifference(a, b), "Balls[2].Dx: 1.5 != 1.50000012");
}

TEST(DataDifferenceTest, CollectionsTablesPicturesAndTheGenerator) {
    GameData a;
    a.Field = Surface(5, 5);
    a.Bricks = {BrickRecord{}};
    a.BonusTimers.fill(-1);
    GameData b = a;
    b.Bricks.push_back(BrickRecord{});
    b.Bricks[0].HitOnce = kTrue;
    EXPECT_EQ(DataDifference(a, b), "Bricks.size(): 1 != 2; Bricks[0].HitOnce: 0 != -1");

    b = a;
    b.BonusTimers[Bonus::Piercing] = 1000;
    b.Hall[9].Name = "Ada";
    b.BrickRects = {CellRect(0, 0)};
    EXPECT_EQ(DataDifference(a, b),
              "BonusTimers[10]: -1 != 1000; BrickRects.size(): 0 != 1; Hall[9].Name: \"\" != "
              "\"Ada\"");

    b = a;
    b.Field.SetPixel(3, 2, 0xFFFF0000u);
    EXPECT_EQ(DataDifference(a, b), "Field pixel (3, 2): 0xFF000000 != 0xFFFF0000");
    b.Field = Surface(5, 4);
    EXPECT_EQ(DataDifference(a, b), "Field: 5 × 5 != 5 × 4");

    b = a;
    b.Random.Next();
    EXPECT_EQ(DataDifference(a, b), "Random: one generator state != another");
    b = a;
    b.Levels.Position = 2;
    EXPECT_EQ(DataDifference(a, b), "Levels.Position: 0 != 2");
}

}  // namespace
}  // namespace ZapModule
