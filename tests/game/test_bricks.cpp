// SPDX-License-Identifier: GPL-3.0-or-later
// Bricks, bonus items and the eleven bonus kinds.

#include <gtest/gtest.h>

#include "game/balls.h"
#include "game/bricks.h"
#include "game/tick.h"
#include "game_fixture.h"

namespace ZapModule {
namespace {

class BrickTest : public GameFixture {
  protected:
    // Ball 0 flies up-left into the brick standing at (100, 100) from below.
    void HitFromBelow() {
        PlaceBall(0, 104, 122, -0.5f, -2);
        UpdateRects(s);
        Rect hit;
        ASSERT_TRUE(HitTest(hit, s.BallRects[0], s.BrickRects[0]));
        HitBrick(s, 0, 0, hit);
    }
};

TEST_F(BrickTest, OrdinaryBrickExplodesScoresAndReleasesItsBonus) {
    AddBrick(Brick(100, 100, 0, 7, 3));
    HitFromBelow();
    EXPECT_EQ(s.BrickCount(), 0);
    EXPECT_EQ(s.LevelIq, 7);
    EXPECT_EQ(window.Label1[1], "7");
    EXPECT_EQ(s.ExplosionCount(), 1);
    EXPECT_EQ(s.Bonuses, (std::vector<BonusRecord>{{100, 100, 3, 3, 2000}}));
    EXPECT_EQ(s.BonusRects[0], (Rect{100, 100, 120, 125}));
    EXPECT_EQ(s.LevelDone, kTrue);
    EXPECT_EQ(Ball().Dy, 2.0f);  // rebounded downward
    EXPECT_EQ(Played(), std::vector<std::string>{"bum.wav"});
}

TEST_F(BrickTest, DoubleBrickNeedsTwoHitsUnlessPiercing) {
    AddBrick(Brick(100, 100, 1));
    AddBrick(Brick(300, 100));
    HitFromBelow();
    EXPECT_EQ(s.BrickCount(), 2);
    EXPECT_EQ(s.Bricks[0].HitOnce, kTrue);
    EXPECT_EQ(Played(), std::vector<std::string>{"wall.wav"});
    HitFromBelow();
    EXPECT_EQ(s.BrickCount(), 1);
    EXPECT_EQ(s.Bricks[0].X, 300);  // the last brick moved into the slot

    s.Bricks.clear();
    s.BrickRects.clear();
    AddBrick(Brick(100, 100, 1));
    AddBrick(Brick(300, 100));
    s.Piercing = kTrue;
    HitFromBelow();
    EXPECT_EQ(s.BrickCount(), 1);
    EXPECT_EQ(Ball().Dy, -2.0f);  // no rebound while piercing
}

TEST_F(BrickTest, SteelBrickFlashesAndStaysUnlessPiercing) {
    AddBrick(Brick(100, 100, 2));
    AddBrick(Brick(300, 100));
    HitFromBelow();
    EXPECT_EQ(s.BrickCount(), 2);
    EXPECT_EQ(s.Bricks[0].Flash, 10);
    EXPECT_EQ(Played(), std::vector<std::string>{"steel.wav"});
    EXPECT_EQ(Ball().Dy, 2.0f);
    for (int i = 0; i < 10; ++i) GameStep(s);
    EXPECT_EQ(s.Bricks[0].Flash, 0);

    s.Piercing = kTrue;
    HitFromBelow();
    EXPECT_EQ(s.BrickCount(), 1);
    EXPECT_EQ(s.LevelDone, kFalse);
}

TEST_F(BrickTest, UnknownTypeOnlyTurnsTheBall) {
    AddBrick(Brick(100, 100, 7));
    HitFromBelow();
    EXPECT_EQ(s.BrickCount(), 1);
    EXPECT_TRUE(Played().empty());
    EXPECT_EQ(Ball().Dy, 2.0f);
}

TEST_F(BrickTest, LevelIsDoneWhenOnlySteelRemains) {
    AddBrick(Brick(100, 100));
    AddBrick(Brick(200, 100, 2));
    DestroyBrick(s, 0);
    EXPECT_EQ(s.LevelDone, kTrue);
}

TEST_F(BrickTest, SurpriseBonusDrawsItsKind) {
    AddBrick(Brick(100, 100, 0, 5, 12));
    s.Random.UseSequence({0.75f});  // 10 * 0.75 + 1 = 8.5: ties to even give 8
    DestroyBrick(s, 0);
    EXPECT_EQ(s.Bonuses, (std::vector<BonusRecord>{{100, 100, 12, 8, 2000}}));
}

TEST_F(BrickTest, BatBonusesExcludeEachOtherAndEndByTheirOwnTimer) {
    AddBonus(100, 100, 2);
    ApplyBonus(s, 2, 0, 0);
    EXPECT_EQ(s.BatHeight, 33);
    EXPECT_EQ(s.BonusTimers[2], 3000);
    ApplyBonus(s, 1, 0, 0);
    EXPECT_EQ(s.BatSize, 1);
    EXPECT_EQ(s.BatHeight, 87);
    EXPECT_EQ(s.BonusTimers[1], 3000);
    EXPECT_EQ(s.BonusTimers[2], -1);
    EXPECT_EQ(s.LevelIq, 20);
    s.BonusTimers[1] = 1;
    GameStep(s);
    EXPECT_EQ(s.BatSize, 0);
    EXPECT_EQ(s.BatHeight, 60);
    EXPECT_EQ(s.BonusTimers[1], -1);
    EXPECT_EQ(Played(), std::vector<std::string>{"effect2.wav"});
}

TEST_F(BrickTest, TimedBonusesStartAndEnd) {
    const struct {
        int16_t kind, steps;
    } cases[] = {{3, 3000}, {6, 3000}, {7, 3000}, {10, 1000}, {11, 3000}};
    for (const auto& c : cases) {
        ApplyBonus(s, c.kind, 0, 0);
        EXPECT_EQ(s.BonusTimers[c.kind], c.steps) << c.kind;
        // Collecting it again restarts the timer at its full value.
        s.BonusTimers[c.kind] = 5;
        ApplyBonus(s, c.kind, 0, 0);
        EXPECT_EQ(s.BonusTimers[c.kind], c.steps) << c.kind;
    }
    EXPECT_EQ(s.WallOn, kTrue);
    EXPECT_EQ(s.Piercing, kTrue);
    EXPECT_EQ(s.StickyBat, kTrue);
    EXPECT_EQ(s.BallSpeedMode, 2);
    for (const auto& c : cases) EndBonus(s, c.kind);
    EXPECT_EQ(s.WallS, 2);  // the wall shrinks away; WallOn stays until it is gone
    EXPECT_EQ(s.WallOn, kTrue);
    EXPECT_EQ(s.Piercing, kFalse);
    EXPECT_EQ(s.StickyBat, kFalse);
    EXPECT_EQ(s.BallSpeedMode, 0);
    for (int16_t kind = 1; kind <= 11; ++kind) EXPECT_EQ(s.BonusTimers[kind], -1) << kind;
}

TEST_F(BrickTest, SpeedBonusesScaleEveryBallAgainOnEachCollection) {
    PlaceBall(0, 100, 100, 1, -2);
    ApplyBonus(s, 6, 0, 0);
    ApplyBonus(s, 6, 0, 0);
    EXPECT_EQ(Ball().Dx, 9.0f);
    EXPECT_EQ(Ball().Dy, -18.0f);
    ApplyBonus(s, 7, 0, 0);
    EXPECT_EQ(Ball().Dx, static_cast<float>(9 * 0.2));
}

TEST_F(BrickTest, InstantBonuses) {
    ApplyBonus(s, 4, 0, 0);
    EXPECT_EQ(s.BallCount(), 2);
    EXPECT_EQ(s.Balls[1].Stuck, kTrue);
    ApplyBonus(s, 9, 0, 0);
    EXPECT_EQ(s.BallsLeft, 4);
    EXPECT_EQ(window.Label1[0], "4");
    ApplyBonus(s, 5, 1, 0);
    EXPECT_EQ(s.Balls[1].Dead, kTrue);
    EXPECT_EQ(s.Balls[0].Dead, kFalse);
    EXPECT_EQ(Played(), std::vector<std::string>{"die.wav"});
    ApplyBonus(s, 13, 0, 0);  // an unknown kind only scores
    EXPECT_EQ(s.LevelIq, 40);
    EXPECT_EQ(s.BallsLeft, 4);
}

TEST_F(BrickTest, BombDestroysExactlyTheEightNeighbourCells) {
    AddBonus(200, 200, 8);
    AddBrick(Brick(180, 175, 2, 50));     // steel, diagonal: goes
    AddBrick(Brick(220, 200, 1, 20, 9));  // double, right: goes and releases its bonus
    AddBrick(Brick(200, 250));            // two cells below: stays
    AddBrick(Brick(181, 200));            // off the grid: stays
    AddBrick(Brick(200, 225));            // below: goes
    ApplyBonus(s, 8, 0, 0);
    ASSERT_EQ(s.BrickCount(), 2);
    EXPECT_EQ(s.LevelIq, 10 + 50 + 20 + 5);
    EXPECT_EQ(s.ExplosionCount(), 3);
    ASSERT_EQ(s.BonusCount(), 2);  // the bomb itself and the released one
    EXPECT_EQ(s.Bonuses[1].Kind, 9);
    for (const BrickRecord& b : s.Bricks) EXPECT_TRUE(b.Y == 250 || b.X == 181);
}

TEST_F(BrickTest, UncollectedBonusVanishesOnePerStep) {
    AddBonus(100, 100, 3, 1);
    AddBonus(200, 100, 3, 1);
    AddBonus(300, 100, 3, 5);
    GameStep(s);
    // The last moved into slot 0 and was not aged this step.
    EXPECT_EQ(s.Bonuses, (std::vector<BonusRecord>{{300, 100, 3, 3, 5}, {200, 100, 3, 3, 1}}));
    GameStep(s);
    EXPECT_EQ(s.BonusCount(), 1);
}

TEST_F(BrickTest, OneStepHitsABonusThenABrickWithTheSameRectangle) {
    AddBonus(100, 100, 9);
    AddBrick(Brick(300, 300));
    AddBrick(Brick(100, 110));
    PlaceBall(0, 104, 118, 0.5f, -2);
    GameStep(s);
    EXPECT_EQ(s.BonusCount(), 0);
    EXPECT_EQ(s.BallsLeft, 4);
    ASSERT_EQ(s.BrickCount(), 1);
    EXPECT_EQ(s.Bricks[0].X, 300);
    EXPECT_EQ(Played(), (std::vector<std::string>{"effect2.wav", "bum.wav"}));
    EXPECT_EQ(s.ExplosionCount(), 2);
}

}  // namespace
}  // namespace ZapModule
