// SPDX-License-Identifier: GPL-3.0-or-later
// Ball motion, the hit test and the rebounds.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "game/balls.h"
#include "game/tick.h"
#include "game_fixture.h"
#include "values/rounding.h"

namespace ZapModule {
namespace {

using BallTest = GameFixture;

TEST(Rounding, TiesGoToTheEvenNeighbourAndRangesSaturate) {
    EXPECT_EQ(RoundToInt16(2.5), 2);
    EXPECT_EQ(RoundToInt16(3.5), 4);
    EXPECT_EQ(RoundToInt16(-2.5), -2);
    EXPECT_EQ(RoundToInt16(0.49999), 0);
    EXPECT_EQ(RoundToInt16(40000.0), 32767);
    EXPECT_EQ(RoundToInt16(-40000.0), -32768);
    EXPECT_EQ(RoundToInt32(1e12), 2147483647);
}

TEST(HitTest, AnIntersectionCoordinateOfZeroIsNoHit) {
    Rect hit;
    // Overlapping along the field's left edge: Left 0 means no hit.
    EXPECT_FALSE(HitTest(hit, {0, 10, 12, 22}, {0, 0, 20, 25}));
    EXPECT_EQ(hit, (Rect{0, 10, 12, 22}));
    // Touching rectangles do not overlap: the right edge lies outside.
    EXPECT_FALSE(HitTest(hit, {428, 264, 440, 276}, {440, 240, 452, 300}));
    EXPECT_EQ(hit, Rect{});
    EXPECT_TRUE(HitTest(hit, {430, 264, 442, 276}, {440, 240, 452, 300}));
    EXPECT_EQ(hit, (Rect{440, 264, 442, 276}));
}

TEST(HitTest, ScanFindsTheLowestIndexThatReallyHits) {
    std::vector<Rect> rects(20, Rect{300, 300, 320, 325});
    rects[9] = {0, 0, 20, 25};   // overlaps, but the intersection's Left is 0: no hit
    rects[11] = {5, 5, 25, 30};  // the first real hit, in the second block of the scan
    rects[14] = {5, 5, 25, 30};
    rects[3] = {10, 10, 10, 30};  // empty: never a hit
    Rect hit;
    EXPECT_EQ(FirstHit(hit, {0, 0, 12, 12}, rects, 20), 11);
    EXPECT_EQ(hit, (Rect{5, 5, 12, 12}));
    EXPECT_EQ(FirstHit(hit, {0, 0, 12, 12}, rects, 11), -1);  // the count bounds the scan
}

TEST_F(BallTest, ServedBallRestsAgainstTheBat) {
    EXPECT_EQ(Ball(), (BallRecord{428, 264, -2, 1, kTrue, kTrue}));
    // An odd bat height divides exactly: 33 / 2 + 240 - 6.
    s.BatHeight = 33;
    ServeBall(s);
    EXPECT_EQ(Ball(1).Y, 250.5f);
}

TEST_F(BallTest, RectanglesRoundHalfToEven) {
    PlaceBall(0, 10.5f, 11.5f, 0, 0);
    UpdateRects(s);
    EXPECT_EQ(s.BallRects[0], (Rect{10, 12, 22, 24}));
    EXPECT_EQ(s.BatRect, (Rect{440, 240, 452, 300}));
}

TEST_F(BallTest, BatBounceDependsOnWhereTheBallMeetsIt) {
    PlaceBall(0, 430, 230, 2, 1);
    BounceOffBat(s, 0, 240);  // top edge: Dy + (-1)
    EXPECT_EQ(Ball().Dy, 0.0f);
    EXPECT_EQ(Ball().Dx, -2.0f);
    MoveBall(s, 0);  // the speed floor turns Dy 0 into 0.3 in the same step
    EXPECT_EQ(Ball().Dy, 0.3f);

    PlaceBall(0, 430, 260, 2, 1);
    BounceOffBat(s, 0, 270);  // the middle leaves Dy as it was
    EXPECT_EQ(Ball().Dy, 1.0f);

    PlaceBall(0, 430, 290, 2, 1);
    BounceOffBat(s, 0, 299);  // the lowest row: 59/60*2-1
    EXPECT_FLOAT_EQ(Ball().Dy, static_cast<float>(1 + (5900.0 / 60) / 100 * 2 - 1));
}

TEST_F(BallTest, BallMovingLeftIntoTheBatKeepsItsPlaceButTurns) {
    s.Window->SetTimerInterval(1);
    PlaceBall(0, 441, 260, -1.5f, 1);
    GameStep(s);
    EXPECT_EQ(Ball().Dx, 1.5f);
    EXPECT_EQ(Ball().X, 442.5f);  // not put back at 428
    EXPECT_EQ(Played(), std::vector<std::string>{"palka.wav"});
}

// A side hit (narrower than high) turns the ball across and puts it beside the block it came
// from, a top or bottom hit turns it along and puts it above or below, a corner (equal width and
// height) turns both ways.
TEST_F(BallTest, BlockBouncesBySideTopAndCorner) {
    const struct {
        const char* name;
        BallRecord from;
        Rect overlap;
        BallRecord to;
    } cases[] = {
        {"side moving right", {95, 110, 2, 1}, {100, 110, 103, 122}, {87, 110, -2, 1}},  // 100 - 13
        {"side moving left", {115, 110, -2, 1}, {115, 110, 120, 122}, {121, 110, 2, 1}},
        {"top moving down", {105, 90, 1, 2}, {105, 100, 117, 102}, {105, 87, 1, -2}},
        {"bottom moving up", {105, 120, 1, -2}, {105, 120, 117, 125}, {105, 126, 1, 2}},
        {"corner",
         {90, 90, 2, 2},
         {100, 100, 102, 102},
         {90, 90, float(-2 * 1.2), float(-2 * 0.8)}},
    };
    for (const auto& c : cases) {
        Ball() = c.from;
        BounceOffBlock(s, 0, c.overlap, 100, 100);
        EXPECT_EQ(Ball(), c.to) << c.name;
    }
}

TEST_F(BallTest, MoverBounceTakesARandomDirectionOfSpeedThree) {
    PlaceBall(0, 100, 100, 2, 2);
    s.Random.UseSequence({0.45f});  // between 0.4 and 0.5: up and to the left
    BounceOffMover(s, 0);
    EXPECT_LT(Ball().Dx, 0);
    EXPECT_LT(Ball().Dy, 0);
    EXPECT_NEAR(std::fabs(Ball().Dx) + std::fabs(Ball().Dy), 3.0, 1e-6);
    s.Random.UseSequence({0.4f});  // exactly the single-precision 0.4: Dy keeps its sign
    BounceOffMover(s, 0);
    EXPECT_GT(Ball().Dy, 0);
    s.BallSpeedMode = 1;
    s.Random.UseSequence({0.7f});
    BounceOffMover(s, 0);
    EXPECT_NEAR(std::fabs(Ball().Dx) + std::fabs(Ball().Dy), 9.0, 1e-5);
    s.BallSpeedMode = 2;
    BounceOffMover(s, 0);
    EXPECT_NEAR(std::fabs(Ball().Dx) + std::fabs(Ball().Dy), 0.6, 1e-6);
}

// The left, top and bottom edges reflect the ball with a dot.wav; only positive speeds are capped
// at 4; a slow ball gains 20 % while its combined speed is at most 2; a speed mode suspends the
// cap and the gain.
TEST_F(BallTest, EdgesReflectAndTheSpeedCapOnlyLimitsPositiveSpeeds) {
    const struct {
        const char* name;
        int16_t speedMode;
        BallRecord from, to;
        bool reflected;
    } cases[] = {
        {"fast to the left", 0, {100, 100, -6, 1}, {94, 101, -6, 1}, false},
        {"off the left edge", 0, {3, 100, -6, 1}, {0, 101, 4, 1}, true},  // +6, capped to 4
        {"off the top edge", 0, {100, 1, 1, -3}, {101, 0, 1, 3}, true},
        {"off the bottom edge", 0, {100, 462, 1, 3}, {101, 463, 1, -3}, true},
        {"slow", 0, {100, 100, 1, 1}, {101, 101, 1.2f, 1.2f}, false},
        {"fast speed mode", 1, {100, 100, 6, 0.5f}, {106, 100.5f, 6, 0.5f}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        s.BallSpeedMode = c.speedMode;
        Ball() = c.from;
        sounds->Played.clear();
        MoveBall(s, 0);
        EXPECT_EQ(Ball(), c.to);
        EXPECT_EQ(Played(),
                  c.reflected ? std::vector<std::string>{"dot.wav"} : std::vector<std::string>{});
    }
}

TEST_F(BallTest, CrossingTheLostLineCostsOneSpareAndKillsAfterHundredSteps) {
    PlaceBall(0, 482, 100, 2, 0.5f);
    MoveBall(s, 0);
    RunDeathTimer(s, 0);
    EXPECT_EQ(s.BallsLeft, 2);
    EXPECT_EQ(window.Label1[0], "2");
    EXPECT_EQ(Ball().DeathDelay, 100);
    for (int step = 2; step <= 100; ++step) {
        EXPECT_EQ(Ball().Dead, kFalse) << step;
        MoveBall(s, 0);
        RunDeathTimer(s, 0);
    }
    EXPECT_EQ(Ball().Dead, kTrue);
    EXPECT_EQ(s.BallsLeft, 2);  // counted once
    const std::vector<std::string> played = Played();
    EXPECT_EQ(std::count(played.begin(), played.end(), "die.wav"), 1);
    EXPECT_GE(Ball().X, 495.0f);  // it stopped at the stop line
}

TEST_F(BallTest, LostLineSparesOneOfSeveralBallsAndTheHiddenName) {
    ServeBall(s);
    PlaceBall(0, 483.5f, 100, 1, 1);
    MoveBall(s, 0);
    EXPECT_EQ(s.BallsLeft, 3);

    s.Balls.resize(1);
    s.PlayerName = "*QUORN*";
    window.Label1[0] = "";
    PlaceBall(0, 483.5f, 100, 1, 1);
    MoveBall(s, 0);
    EXPECT_EQ(s.BallsLeft, 3);
    EXPECT_EQ(window.Label1[0], "3");  // rewritten with the unchanged number
}

TEST_F(BallTest, WallTurnsTheBallEveryStepBeyondItsLine) {
    s.WallOn = kTrue;
    PlaceBall(0, 470, 100, 1, 1);
    MoveBall(s, 0);
    EXPECT_EQ(Ball().Dx, -1.2f);  // reversed, then sped up by the slow-ball rule
    MoveBall(s, 0);
    EXPECT_GT(Ball().Dx, 0);
    EXPECT_EQ(Played(), (std::vector<std::string>{"dot.wav", "dot.wav"}));
}

TEST_F(BallTest, BottomClampMovesRestingBallsByThreeEachWay) {
    s.BatTop = 414;
    s.MovingDown = kTrue;
    const float before = Ball().Y;
    GameStep(s);
    EXPECT_EQ(s.BatTop, 415);
    EXPECT_EQ(Ball().Y, before);  // +3, then -3 by the clamp: drifts against the bat
}

TEST_F(BallTest, BothArrowKeysKeepTheBatStill) {
    s.MovingUp = kTrue;
    s.MovingDown = kTrue;
    GameStep(s);
    EXPECT_EQ(s.BatTop, 240);
}

}  // namespace
}  // namespace ZapModule
