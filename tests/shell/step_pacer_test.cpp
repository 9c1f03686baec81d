// SPDX-License-Identifier: GPL-3.0-or-later
// The pace both game loops keep, on a clock the test moves: the rate Tick gives however late the
// loop wakes, no burst after lost time, and the idle passes counted while it waited.

#include "shell/step_pacer.h"

#include <gtest/gtest.h>

#include "tests/game/game_fixture.h"

namespace ZapModule {
namespace {

using std::chrono::milliseconds;
using Time = StepPacer::Time;

class StepPacerTest : public GameFixture {
  protected:
    StepPacerTest() {
        s.Tick = 8000;
        pacer.Begin(s, now);
    }

    // One pass at the clock's time.
    PassResult Pass() {
        pacer.Credit(s, now);
        return pacer.Pass(s, now);
    }

    // Runs the loop for `span` of the clock, waking `late` after each time the pacer named; the
    // steps it took.
    int64_t RunFor(Time span, Time late = {}) {
        const int64_t before = s.Steps;
        const Time end = now + span;
        while (now <= end) {
            if (Pass() == PassResult::Idle) now = pacer.NextStep(s) + late;
        }
        return s.Steps - before;
    }

    Time now = milliseconds(1000);
    StepPacer pacer;
};

TEST_F(StepPacerTest, StepsAtTheTickPaceHoweverLateTheLoopWakes) {
    EXPECT_NEAR(static_cast<double>(RunFor(milliseconds(10000))), 1000, 1);
    // Timers wake up late by a part of a period: the schedule is kept, the rate stays exact.
    EXPECT_NEAR(static_cast<double>(RunFor(milliseconds(10000), std::chrono::microseconds(1700))),
                1000, 1);
    EXPECT_NEAR(static_cast<double>(RunFor(milliseconds(10000), std::chrono::microseconds(9900))),
                1000, 1);
    s.Tick = 4000;
    EXPECT_NEAR(static_cast<double>(RunFor(milliseconds(10000), std::chrono::microseconds(1300))),
                2000, 1);
}

TEST_F(StepPacerTest, LostTimeIsNotMadeUpWithABurst) {
    RunFor(milliseconds(100));
    // The loop stalls for a second: one step runs at once, the next a whole period later.
    now = pacer.NextStep(s) + milliseconds(1000);
    EXPECT_EQ(Pass(), PassResult::Stepped);
    EXPECT_EQ(Pass(), PassResult::Idle);
    EXPECT_EQ(pacer.NextStep(s) - now, milliseconds(10));
    EXPECT_NEAR(static_cast<double>(RunFor(milliseconds(1000))), 100, 1);
}

TEST_F(StepPacerTest, CountsThePassesThatElapsedWhileTheLoopWaited) {
    EXPECT_EQ(Pass(), PassResult::Idle);
    now += milliseconds(4);
    EXPECT_EQ(Pass(), PassResult::Idle);
    EXPECT_EQ(s.IdlePasses, 3200);  // 4 ms of passes, the one just made the last of them
    EXPECT_EQ(pacer.NextStep(s) - now, milliseconds(6));
    // A new run of the loop keeps the passes counted before it.
    pacer = StepPacer();
    pacer.Begin(s, now);
    EXPECT_EQ(pacer.NextStep(s) - now, milliseconds(6));
}

}  // namespace
}  // namespace ZapModule
