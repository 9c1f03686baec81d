// SPDX-License-Identifier: GPL-3.0-or-later
// The game loop of both frontends on a clock the test moves: the pause, the hold while a box is
// open, the slices of a fast Tick, and the calls it asks the frontend for (its pace is
// StepPacer's).

#include "shell/game_loop_core.h"

#include <gtest/gtest.h>

#include "tests/game/game_fixture.h"

namespace ZapModule {
namespace {

class GameLoopCoreTest : public GameFixture {
  protected:
    GameLoopCoreTest() {
        s.Tick = 8000;
        loop.SetInterval(1);
    }

    // The frontend's timer: the call the loop asked for, when it was due.
    void Wake() {
        ASSERT_GE(asked, 0) << "the loop asked for no call";
        now += asked;
        loop.Run();
    }

    // Runs the frontend for `millis` of the clock; the steps it took.
    int64_t RunFor(double millis) {
        const int64_t before = s.Steps;
        const double end = now + millis;
        while (now + asked <= end) Wake();
        return s.Steps - before;
    }

    double now = 1000;
    double asked = -1;
    GameLoopCore loop{s, [this] { return now; }, [this](double delay) { asked = delay; }, 4};
};

TEST_F(GameLoopCoreTest, APausedLoopSleepsUntilAnInputWakesIt) {
    RunFor(100);
    s.Paused = kTrue;
    const int64_t before = s.Steps;
    for (int input = 0; input < 2; ++input) {
        while (asked >= 0) Wake();
        EXPECT_EQ(s.Steps, before);
        now += 5000;
        loop.Wake();  // an input that leaves the game paused
    }
    s.Paused = kFalse;
    loop.Wake();
    EXPECT_NEAR(static_cast<double>(RunFor(1000)), 100, 1);
}

TEST_F(GameLoopCoreTest, AHeldLoopCountsNothingAndGoesOnWhenLetGo) {
    RunFor(100);
    loop.SetHeld(true);
    EXPECT_LT(asked, 0);
    const int16_t idle = s.IdlePasses;
    const int64_t before = s.Steps;
    now += 5000;
    loop.Run();
    EXPECT_EQ(s.Steps, before);
    EXPECT_EQ(s.IdlePasses, idle);
    loop.SetHeld(false);
    EXPECT_EQ(asked, 0);
    loop.Run();
    EXPECT_EQ(s.Steps, before + 1);  // the step that was due, and no more
}

TEST_F(GameLoopCoreTest, AStoppedTimerOrTheEndAsksForNoCall) {
    RunFor(100);
    loop.SetInterval(0);
    EXPECT_LT(asked, 0);
    EXPECT_LT(loop.Run(), 0);
    loop.SetInterval(1);
    EXPECT_GE(asked, 0);
    loop.End();
    EXPECT_LT(asked, 0);
    const int64_t before = s.Steps;
    now += 100;
    loop.Run();
    EXPECT_EQ(s.Steps, before);
}

// The page runs due steps for a slice of 4 ms, the desktop lets its events in after every step.
TEST_F(GameLoopCoreTest, AFastTickStepsEveryPassInSlicesThatLetTheFrontendIn) {
    s.Tick = 1;
    for (const double slice : {4.0, 0.0}) {
        // Every call of the clock moves it by a microsecond: a step per pass until the slice is
        // full.
        GameLoopCore fast{s,
                          [this] {
                              now += 0.001;
                              return now;
                          },
                          [this](double delay) { asked = delay; }, slice};
        fast.SetInterval(1);
        const int64_t before = s.Steps;
        fast.Run();
        EXPECT_EQ(asked, 0) << slice;
        if (slice == 0) {
            EXPECT_EQ(s.Steps - before, 1);
        } else {
            EXPECT_GT(s.Steps - before, 100);
            EXPECT_LT(s.Steps - before, 10000);
        }
    }
}

TEST_F(GameLoopCoreTest, BeforePassRunsBeforeEveryPass) {
    int passes = 0;
    loop.BeforePass = [&] { ++passes; };
    RunFor(1000);
    EXPECT_GE(passes, 100);
}

}  // namespace
}  // namespace ZapModule
