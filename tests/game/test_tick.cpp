// SPDX-License-Identifier: GPL-3.0-or-later
// The game step's phase order and removals, the loop's passes, and the movers and explosions.

#include <gtest/gtest.h>

#include "game/balls.h"
#include "game/movers.h"
#include "game/tick.h"
#include "game_fixture.h"

namespace ZapModule {
namespace {

using TickTest = GameFixture;

TEST_F(TickTest, StepRunsEveryTickPassesAndNotWhilePaused) {
    s.Tick = 3;
    s.MovingUp = kTrue;
    for (int i = 0; i < 2; ++i) EXPECT_EQ(LoopPass(s), PassResult::Idle);
    EXPECT_EQ(LoopPass(s), PassResult::Stepped);
    EXPECT_EQ(s.BatTop, 237);
    EXPECT_EQ(s.IdlePasses, 0);
    s.Paused = kTrue;
    for (int i = 0; i < 2; ++i) EXPECT_EQ(LoopPass(s), PassResult::Idle);
    EXPECT_EQ(LoopPass(s), PassResult::Paused);
    EXPECT_EQ(s.BatTop, 237);
    // A Tick below 1 steps on every pass.
    s.Paused = kFalse;
    s.Tick = 0;
    EXPECT_EQ(LoopPass(s), PassResult::Stepped);
}

TEST_F(TickTest, WaitingCreditsPassesButNeverMoreThanOneStep) {
    s.Tick = 8000;
    EXPECT_EQ(PassesUntilStep(s), 8000);
    CreditIdlePasses(s, 5000);
    EXPECT_EQ(PassesUntilStep(s), 3000);
    CreditIdlePasses(s, 1000000);  // a long wait still runs only one step
    EXPECT_EQ(s.IdlePasses, 7999);
    EXPECT_EQ(LoopPass(s), PassResult::Stepped);
    EXPECT_EQ(LoopPass(s), PassResult::Idle);
}

TEST_F(TickTest, LowestIndexWinsAndOnlyOneBrickPerStep) {
    AddBrick(Brick(100, 100, 0, 1));
    AddBrick(Brick(100, 100, 0, 2));
    PlaceBall(0, 104, 122, 0.5f, -2);
    GameStep(s);
    EXPECT_EQ(s.BrickCount(), 1);
    EXPECT_EQ(s.LevelIq, 1);
}

TEST_F(TickTest, MoverRemovedByTheBatEndsTheMoverPhase) {
    AddMover(100, 100, 0, 1, 1);
    AddMover(430, 250, 2, 1, 0);  // touches the bat
    AddMover(200, 200, 3, 1, 1);
    GameStep(s);
    ASSERT_EQ(s.MoverCount(), 2);
    EXPECT_EQ(s.Movers[0].X, 101);   // moved before the removal
    EXPECT_EQ(s.Movers[1].Kind, 3);  // moved into slot 1 ...
    EXPECT_EQ(s.Movers[1].X, 200);   // ... and kept its place for this step
    EXPECT_EQ(s.ExplosionCount(), 1);
    EXPECT_EQ(Played(), std::vector<std::string>{"bum.wav"});
}

TEST_F(TickTest, MoversBounceTurnAtTheWallAndLeaveWithoutIt) {
    AddMover(496, 100, 0, 2, 0);
    GameStep(s);
    EXPECT_EQ(s.MoverCount(), 0);
    EXPECT_EQ(s.LevelIq, 0);
    EXPECT_TRUE(Played().empty());

    s.WallOn = kTrue;
    s.WallS = 1;
    AddMover(459, 100, 0, 2, 0);  // 480 - 20 is the limit for a 20 wide frame
    GameStep(s);
    EXPECT_EQ(s.Movers[0].Dx, -2.0f);

    // A tall overlap with a brick turns it across, a wide one along.
    BounceMover(s, 0, {0, 0, 2, 10});
    EXPECT_EQ(s.Movers[0].Dx, 2.0f);
    BounceMover(s, 0, {0, 0, 3, 3});
    EXPECT_EQ(s.Movers[0].Dx, -2.0f);
    EXPECT_EQ(s.Movers[0].Dy, 0.0f);
}

TEST_F(TickTest, HostileMoverKillsTheBallEvenWhenPiercing) {
    s.Piercing = kTrue;
    AddMover(100, 100, 5);
    PlaceBall(0, 105, 105, 1, 1);
    GameStep(s);
    EXPECT_EQ(s.MoverCount(), 0);
    EXPECT_EQ(Ball().Dead, kTrue);
    EXPECT_EQ(s.LevelIq, 0);
    EXPECT_EQ(Played(), (std::vector<std::string>{"bum.wav", "die.wav"}));
    // The bat destroys it for 2 points, a kind 4 scores 1 either way.
    AddMover(100, 100, 5);
    RemoveMover(s, 0, -1);
    AddMover(100, 100, 4);
    RemoveMover(s, 0, 0);
    EXPECT_EQ(s.LevelIq, 3);
}

TEST_F(TickTest, SpawnNeedsMoreThanTheSinglePrecisionChance) {
    s.Random.UseSequence({0.995f});
    GameStep(s);
    EXPECT_EQ(s.MoverCount(), 0);
    // 0.996 spawns; then kind 0.05 * 5 -> 0, side 0.7 -> bottom (475 - 20), speeds 0.25 - 0.5
    // and 0.75 - 0.5. In the same step it moves and turns at the left and bottom limits.
    s.Random.UseSequence({0.996f, 0.05f, 0.7f, 0.25f, 0.75f});
    GameStep(s);
    EXPECT_EQ(s.Movers, (std::vector<MoverRecord>{{-0.25f, 455.25f, 0.25f, -0.25f, 0, 1, 0}}));
}

TEST_F(TickTest, SpawnedKindsFollowTheLevel) {
    // Level 0: 0.3 * 5 = 1.5 -> 2 is too high, 0.7 -> 4 too, 0.05 -> 0.
    s.Random.UseSequence({0.3f, 0.7f, 0.05f, 0.1f, 0.5f, 0.5f});
    SpawnMover(s);
    EXPECT_EQ(s.Movers.back().Kind, 0);
    // Level 11: kind 5 once per level; a second becomes 2, 3 or 4.
    s.Level = 11;
    s.Random.UseSequence({0.95f, 0.1f, 0.5f, 0.5f});
    SpawnMover(s);
    EXPECT_EQ(s.Movers.back().Kind, 5);
    EXPECT_EQ(s.Kind5Present, kTrue);
    s.Random.UseSequence({0.95f, 0.5f, 0.1f, 0.5f, 0.5f});
    SpawnMover(s);
    EXPECT_EQ(s.Movers.back().Kind, 3);
    // A sequence that never allows a kind does not hang the game.
    s.Level = 0;
    s.Random.UseSequence({0.95f});
    SpawnMover(s);
    EXPECT_EQ(s.Movers.back().Kind, 0);
}

TEST_F(TickTest, DeadBallWaitsForExplosionsAndHoldsTheBallsAfterIt) {
    ServeBall(s);
    PlaceBall(0, 100, 100, 1, 1);
    PlaceBall(1, 200, 200, 1, 1);
    Ball(0).Dead = kTrue;
    AddExplosion(s, 10, 10);
    GameStep(s);
    EXPECT_EQ(s.BallCount(), 2);
    EXPECT_EQ(Ball(1).X, 200.0f);
    // Explosions end one per step once their frames have run out.
    AddExplosion(s, 20, 20);
    for (int i = 0; i < 20 && s.ExplosionCount() > 0; ++i) GameStep(s);
    EXPECT_EQ(s.ExplosionCount(), 0);
    GameStep(s);
    EXPECT_EQ(s.BallCount(), 1);
    EXPECT_EQ(Ball(0).Y, 200.0f);  // the removal ended the phase: the moved-in ball waited
}

TEST_F(TickTest, AnimationFramesCountStepsMoversWrapAndExplosionsKeepCounting) {
    // Animation 0 has 4 frames of 3 steps, the explosion's 5 frames of 2; nothing is drawn here.
    MoverRecord mover, explosion;
    explosion.Kind = kExplosionKind;
    MoverRecord outside[] = {MoverRecord{.Kind = -1}, MoverRecord{.Kind = s.AnimationCount()}};
    for (int step = 1; step <= 15; ++step) {
        for (MoverRecord* m : {&mover, &explosion, &outside[0], &outside[1]})
            AdvanceAnimation(s, *m);
        EXPECT_EQ(mover.Frame, step / 3 % 4) << "step " << step;
        EXPECT_EQ(mover.FrameTimer, step % 3) << "step " << step;
        EXPECT_EQ(explosion.Frame, step / 2) << "step " << step;
    }
    for (const MoverRecord& m : outside) EXPECT_EQ(m.Frame + m.FrameTimer, 0);
}

TEST_F(TickTest, ExplosionsEndOnePerStep) {
    AddExplosion(s, 0, 0);
    AddExplosion(s, 30, 0);
    // Animation 1 has 5 frames of 2 steps: Frame reaches 5 in the 10th step.
    for (int i = 0; i < 9; ++i) GameStep(s);
    EXPECT_EQ(s.ExplosionCount(), 2);
    GameStep(s);
    EXPECT_EQ(s.ExplosionCount(), 1);
    EXPECT_EQ(s.Explosions[0].X, 30.0f);
    EXPECT_EQ(s.Explosions[0].Frame, 4);  // it waited that step, not advanced
    GameStep(s);
    GameStep(s);
    EXPECT_EQ(s.ExplosionCount(), 0);
}

TEST_F(TickTest, WallGrowsStandsAndShrinksAway) {
    s.Sprites.resize(13);
    s.Sprites[11].Height = 25;
    s.WallOn = kTrue;
    GameStep(s);
    EXPECT_EQ(s.WallHeight, 10);
    GameStep(s);
    GameStep(s);
    EXPECT_EQ(s.WallHeight, 30);
    EXPECT_EQ(s.WallS, 1);
    s.WallS = 2;
    for (int i = 0; i < 3; ++i) GameStep(s);
    EXPECT_EQ(s.WallS, 0);
    EXPECT_EQ(s.WallHeight, 0);
    EXPECT_EQ(s.WallOn, kFalse);
}

TEST_F(TickTest, QuitCountsTwentyStepsAndHoldsWhilePaused) {
    window.Interval = 1;
    s.ButtonDown[1] = kTrue;
    s.QuitCountdown = 20;
    for (int i = 0; i < 19; ++i) EXPECT_EQ(GameStep(s), StepResult::Continue);
    EXPECT_EQ(window.ButtonDraws[1], 19);
    s.Paused = kTrue;
    EXPECT_EQ(LoopPass(s), PassResult::Paused);
    EXPECT_EQ(s.QuitCountdown, 1);
    EXPECT_EQ(GameStep(s), StepResult::Unloaded);
    EXPECT_TRUE(window.Unloaded);
    EXPECT_EQ(sounds->Updates, 19);  // the unloading step sends no request
}

}  // namespace
}  // namespace ZapModule
