// SPDX-License-Identifier: GPL-3.0-or-later
// The schedule of a watched replay on a clock and timer the test moves: inputs while the game
// waits come after their recorded gaps, inputs before a step come at that step at the latest,
// holding stops the recording's clock, and a recording the game cannot follow ends as diverged.

#include "shell/replay_schedule.h"

#include <gtest/gtest.h>

#include "game/input.h"
#include "game/replay.h"
#include "game/tick.h"
#include "model/version.h"
#include "tests/shell/shell_fixture.h"

namespace ZapModule {
namespace {

class ReplayScheduleTest : public ShellFixture {
  protected:
    // A game of Ann: Space at 500 ms starts play, Space 300 ms later releases the ball, Up is
    // held from before the 3rd step to before the 6th, and the screen is closed after step 8.
    static Replay Recording() {
        Replay r;
        r.Tick = 8000;
        r.Current = 0;
        r.Player = kRoster[0];
        r.Roster = kRoster;
        r.Events = {{0, 500, ReplayInput::KeyDown, kKeySpace},
                    {0, 800, ReplayInput::KeyDown, kKeySpace},
                    {2, 830, ReplayInput::KeyDown, kKeyUp},
                    {5, 860, ReplayInput::KeyUp, kKeyUp}};
        r.EndStep = 8;
        r.EndMillis = 900;
        r.End = ReplayEnd::Closed;
        return r;
    }

    void Watch(const Replay& r) {
        StartRecordedGame(s, r);
        schedule = std::make_unique<ReplaySchedule>(s, r, [this] { return now; });
        schedule->ArmTimer = [this](int64_t delay) { due = now + delay; };
        schedule->DisarmTimer = [this] { due = -1; };
        schedule->OnEnd = [this](bool diverged) { ends.push_back(diverged); };
        schedule->Start();
    }

    // Moves the clock to the armed time and fires the timer.
    void FireTimer() {
        ASSERT_GE(due, now);
        now = due;
        due = -1;
        schedule->TimerFired();
    }

    // One pass that steps, as the game loop makes it when a step is due; none once the watching
    // has ended.
    void Step() {
        s.IdlePasses = static_cast<int16_t>(s.Tick - 1);
        schedule->BeforePass();
        if (!schedule->Ended()) LoopPass(s);
    }

    // Watches the recording, with an Esc before the 7th step when `quits`, recorded to end as
    // `end` after `endStep`, until the game or the watching ends; whether it diverged.
    bool WatchToTheEnd(bool quits, ReplayEnd end, int64_t endStep) {
        Replay r = Recording();
        if (quits) r.Events.push_back({6, 870, ReplayInput::KeyDown, kKeyEscape});
        r.End = end;
        r.EndStep = endStep;
        Watch(r);
        FireTimer();
        FireTimer();
        while (s.Unloaded != kTrue && !schedule->Ended() && s.Steps < 100) Step();
        EXPECT_EQ(s.Steps, 26);
        return schedule->Diverged();
    }

    int64_t now = 0;
    int64_t due = -1;
    std::vector<bool> ends;
    std::unique_ptr<ReplaySchedule> schedule;
};

TEST_F(ReplayScheduleTest, InputsWhileTheGameWaitsComeAfterTheirRecordedGaps) {
    Watch(Recording());
    EXPECT_EQ(due, 500);
    EXPECT_EQ(window.Interval, 0);
    FireTimer();
    EXPECT_EQ(window.Interval, 1);  // the first Space started play
    EXPECT_EQ(s.Balls[0].Stuck, kTrue);
    EXPECT_EQ(due, 800);  // the second one 300 ms later, as recorded
    FireTimer();
    EXPECT_EQ(s.Balls[0].Stuck, kFalse);
}

TEST_F(ReplayScheduleTest, AnInputComesBeforeItsStepWhenThatStepIsDue) {
    Watch(Recording());
    FireTimer();
    FireTimer();
    // The steps run at the game's pace, sooner than the inputs' recorded times: each input comes
    // right before the step it preceded, whatever its time.
    for (const Flag up : {kFalse, kFalse, kTrue, kTrue, kTrue, kFalse, kFalse, kFalse}) {
        Step();
        EXPECT_EQ(s.MovingUp, up) << "after step " << s.Steps;
    }
    // The screen was closed after the 8th step: the watching ends before the 9th at the latest.
    schedule->BeforePass();
    EXPECT_TRUE(ends.empty());
    s.IdlePasses = static_cast<int16_t>(s.Tick - 1);
    schedule->BeforePass();
    EXPECT_EQ(ends, std::vector<bool>{false});
    EXPECT_EQ(s.Steps, 8);
}

// The viewer's P holds the watching (its auto-repeat does nothing), and the caption says so once.
TEST_F(ReplayScheduleTest, HoldingStopsTheRecordingsClock) {
    Watch(Recording());
    int heldChanges = 0;
    schedule->HeldChanged = [&] { ++heldChanges; };
    EXPECT_EQ(schedule->ChangedCaption(), std::string(kGameScreenCaption) + " – záznam hry");
    EXPECT_EQ(schedule->ChangedCaption(), std::nullopt);
    now = 200;
    schedule->ViewerKeyDown(kKeyP, true);
    EXPECT_FALSE(schedule->Held());
    schedule->ViewerKeyDown(kKeyP, false);
    EXPECT_EQ(heldChanges, 1);
    EXPECT_EQ(schedule->ChangedCaption(),
              std::string(kGameScreenCaption) + " – záznam hry (pauza)");
    EXPECT_EQ(due, -1);
    now = 10200;  // ten seconds held
    schedule->TimerFired();
    EXPECT_EQ(window.Interval, 0);
    schedule->ViewerKeyDown(kKeyP, false);
    EXPECT_EQ(heldChanges, 2);
    EXPECT_EQ(due, 10500);  // the 300 ms that were left
    FireTimer();
    EXPECT_EQ(window.Interval, 1);
}

TEST_F(ReplayScheduleTest, AGameThatWaitsForALaterInputEndsAsDiverged) {
    Replay r = Recording();
    // Without the first Space the game never starts: the second one, recorded after step 4,
    // would wait for a step that never comes.
    r.Events.erase(r.Events.begin());
    r.Events[0].Step = 4;
    Watch(r);
    EXPECT_EQ(ends, std::vector<bool>{true});
}

TEST_F(ReplayScheduleTest, AGameThatEndsItselfElsewhereThanRecordedDiverges) {
    EXPECT_TRUE(WatchToTheEnd(true, ReplayEnd::Closed, 500));
}

TEST_F(ReplayScheduleTest, AGameThatQuitsAsRecordedDoesNotDiverge) {
    EXPECT_FALSE(WatchToTheEnd(true, ReplayEnd::Quit, 26));  // the quit's 20 steps after
}

// A recorded quit whose Esc is gone: the game would play on, the watching ends where the
// recording does.
TEST_F(ReplayScheduleTest, AGameThatOutlivesItsRecordingEndsAsDiverged) {
    EXPECT_TRUE(WatchToTheEnd(false, ReplayEnd::Quit, 26));
    EXPECT_EQ(ends, std::vector<bool>{true});
}

// Esc ends the watching even as the key's auto-repeat.
TEST_F(ReplayScheduleTest, TheViewersEscEndsTheWatchingOnce) {
    Watch(Recording());
    schedule->ViewerKeyDown(kKeyUp, false);
    EXPECT_TRUE(ends.empty());
    schedule->ViewerKeyDown(kKeyEscape, true);
    schedule->ViewerKeyDown(kKeyEscape, false);
    EXPECT_EQ(ends, std::vector<bool>{false});
    EXPECT_TRUE(schedule->Ended());
    EXPECT_EQ(due, -1);
}

}  // namespace
}  // namespace ZapModule
