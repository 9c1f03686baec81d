// SPDX-License-Identifier: GPL-3.0-or-later
// Recording a game and running the recording again: the replayed game ends in exactly the state
// the played one did, however the inputs fell between steps, pauses and level switches, and a
// recording that does not play out as recorded is reported.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "game/input.h"
#include "game/replay.h"
#include "game/state_difference.h"
#include "game/tick.h"
#include "storage/level_file.h"
#include "storage/level_text.h"
#include "tests/game/game_fixture.h"

namespace ZapModule {
namespace {

// Two levels: a row of ordinary bricks with bonuses in the ball's path, and a single brick.
std::vector<uint8_t> LevelBytes() {
    std::string text = "level\n";
    for (int i = 0; i < 8; ++i)
        text += "brick " + std::to_string(100 + 20 * (i % 4)) + " " +
                std::to_string(200 + 25 * (i / 4)) + " 10 0 0 " + std::to_string(1 + i % 11) + "\n";
    return CompileLevelText(text + "level\nbrick 0 0 10 0 0 0\n").Bytes;
}

// A loaded game with its seed, the two levels and three players.
struct Game : LoadedGame {
    uint32_t seed;

    explicit Game(uint32_t startSeed) : seed(startSeed) {
        s.Random.Seed(seed);
        OpenLevelFile(s, LevelBytes());
        s.Players = {{"Ada", 100, 0, 3}, {"Bara", 5, 0, 0}, {"Cyril", 0, 0, 32767}};
        for (const PlayerRecord& p : s.Players) window.AppendPlayerLine(p.Name);
    }
    // The game started as the recording `r` was, on its seed, ready to replay it.
    explicit Game(const Replay& r) : Game(r.Seed) { StartRecordedGame(s, r); }
};

// Inputs by loop iteration; an iteration delivers its inputs, then steps if the game runs.
using Script = std::multimap<int64_t, ReplayEvent>;

ReplayEvent Key(int code, bool down = true) {
    return {0, 0, down ? ReplayInput::KeyDown : ReplayInput::KeyUp, code, 0};
}

// Plays `script` for at most `iterations` loop iterations while recording; returns the recording.
Replay Play(Game& game, int16_t player, const Script& script, int64_t iterations) {
    GameState& s = game.s;
    StartGame(s, player, 1);
    int64_t now = 0;
    ReplayRecorder recorder;
    recorder.Begin(s, ReplayOrigin{game.seed, 1, 2, "2026-12-07 23:40:12"}, [&] { return now; });
    s.Recorder = &recorder;
    for (int64_t i = 0; i < iterations && s.Unloaded != kTrue; ++i, now += 10) {
        const auto [from, to] = script.equal_range(i);
        for (auto it = from; it != to; ++it) DeliverInput(s, it->second);
        if (game.window.Interval == 0 || s.Paused != kFalse) continue;
        GameStep(s);
    }
    s.Recorder = nullptr;
    return recorder.Finish(s);
}

// Arrows held before the start, a pause with inputs inside it, the ball released, a quit.
Script QuitScript() {
    return {{0, Key(kKeyDown)},   {3, Key(kKeySpace)},       {3, Key(kKeyDown, false)},
            {40, Key(kKeySpace)}, {90, Key(kKeyP)},          {95, Key(kKeyUp)},
            {140, Key(kKeyP)},    {150, Key(kKeyUp, false)}, {151, Key(kKeyP)},
            {151, Key(kKeyP)},    {400, Key(kKeyEscape)},    {405, Key(kKeyDown)}};
}

TEST(ReplayTest, AQuitGameReplaysToTheSameState) {
    Game played(77);
    const Replay r = Play(played, 0, QuitScript(), 100000);
    EXPECT_EQ(r.End, ReplayEnd::Quit);
    EXPECT_EQ(r.Events.size(), 12u);
    // Inputs while the game waited (before the start, while paused) count no steps.
    EXPECT_EQ(r.Events[0].Step, 0);
    EXPECT_EQ(r.Events[1].Step, 0);
    EXPECT_EQ(r.Events[5].Step, r.Events[4].Step);
    EXPECT_EQ(r.Events[6].Step, r.Events[4].Step);
    EXPECT_EQ(r.Events[0].Millis, 0);
    EXPECT_EQ(r.Player.Name, "Ada");
    EXPECT_EQ(r.Tick, 1);

    Game replayed(r);
    const ReplayRun run = RunRecordedGame(replayed.s, r);
    EXPECT_EQ(run.Divergence, "");
    EXPECT_EQ(run.Steps, r.EndStep);
    EXPECT_EQ(DataDifference(played.s, replayed.s), "");
    EXPECT_EQ(replayed.window.Unloaded, true);
}

TEST(ReplayTest, GamesThroughLevelSwitchesAndGameOverReplay) {
    // Bara has no spare ball: with the bat held away after the release the game is soon over.
    Script script = {{0, Key(kKeySpace)}, {1, Key(kKeySpace)}, {2, Key(kKeyUp)}};
    Game lost(5);
    const Replay over = Play(lost, 1, script, 100000);
    ASSERT_EQ(over.End, ReplayEnd::GameOver);
    Game lostAgain(over);
    EXPECT_EQ(RunRecordedGame(lostAgain.s, over).Divergence, "");
    EXPECT_EQ(DataDifference(lost.s, lostAgain.s), "");
    EXPECT_EQ(lostAgain.s.Players.size(), 2u);  // the player left the roster
    EXPECT_EQ(lostAgain.window.PlayerLines, lost.window.PlayerLines);

    // A long game of Cyril, who never runs out of balls: lost balls, level switches (Space serves
    // and resumes), closed between steps.
    Script levels;
    for (int64_t i = 0; i < 30000; i += 50) levels.insert({i, Key(kKeySpace)});
    Game played(9);
    const Replay closed = Play(played, 2, levels, 30000);
    ASSERT_EQ(closed.End, ReplayEnd::Closed);
    ASSERT_GT(played.s.Level, 0);
    Game replayed(closed);
    EXPECT_EQ(RunRecordedGame(replayed.s, closed).Divergence, "");
    EXPECT_EQ(DataDifference(played.s, replayed.s), "");
    // Cut short there instead (the program killed), it plays out as far.
    Replay cut = closed;
    cut.End = ReplayEnd::Cut;
    Game replayedCut(cut);
    EXPECT_EQ(RunRecordedGame(replayedCut.s, cut).Divergence, "");
    EXPECT_EQ(DataDifference(played.s, replayedCut.s), "");
}

TEST(ReplayTest, TwoRunsOfARecordingAreComparedStepByStep) {
    Game played(77);
    const Replay r = Play(played, 0, QuitScript(), 100000);
    Game a(r), b(r);
    const TwinRun same = RunRecordedGameTwice(a.s, b.s, r, 1);
    EXPECT_EQ(same.Difference, "");
    EXPECT_EQ(same.DifferingAfter, -1);
    EXPECT_EQ(same.Run.Divergence, "");
    EXPECT_EQ(same.Run.Steps, r.EndStep);
    EXPECT_EQ(DataDifference(a.s, played.s), "");

    // A twin knocked off course just before step 40 is caught at the first check after it, and
    // both games stop there.
    struct Case {
        int64_t every, knockedAt, caughtAfter;
    };
    for (const Case c : {Case{1, 40, 41}, Case{25, 40, 50}, Case{25, 0, 25}}) {
        Game first(r), second(r);
        const TwinRun run =
            RunRecordedGameTwice(first.s, second.s, r, c.every, [&](GameState& s, int64_t step) {
                if (&s == &second.s && step == c.knockedAt) ++s.BatTop;
            });
        EXPECT_EQ(run.DifferingAfter, c.caughtAfter) << c.every;
        EXPECT_EQ(run.Difference.rfind("BatTop: ", 0), 0u) << run.Difference;
        EXPECT_EQ(first.s.Steps, c.caughtAfter);
        EXPECT_EQ(second.s.Steps, c.caughtAfter);
    }
    // A difference before the first step is caught before it.
    Game first(r), second(r.Seed + 1);
    StartRecordedGame(second.s, r);
    const TwinRun seeds = RunRecordedGameTwice(first.s, second.s, r, 1000);
    EXPECT_EQ(seeds.DifferingAfter, 0);
    EXPECT_EQ(seeds.Difference, "Random: one generator state != another");
}

TEST(ReplayTest, ARecordingThatDoesNotPlayOutIsReported) {
    Game played(77);
    const Replay r = Play(played, 0, QuitScript(), 100000);

    Replay late = r;  // the quit a step later ends the game a step later
    ++late.Events[10].Step;
    ++late.Events[11].Step;
    Game a(late);
    const std::string end = std::to_string(r.EndStep);
    EXPECT_EQ(RunRecordedGame(a.s, late).Divergence,
              "hra po kroku " + end +
                  " sama neskončila, nedoručených vstupů zbylo 0; "
                  "nahraná hra skončila po kroku " +
                  end + " (hráč ji ukončil)");

    Replay unstarted = r;  // without the start the game waits for ever
    unstarted.Events.erase(unstarted.Events.begin() + 1);
    Game b(unstarted);
    EXPECT_THAT(RunRecordedGame(b.s, unstarted).Divergence,
                ::testing::HasSubstr("hra čeká na vstup"));
}

TEST(ReplayTest, TheDataARecordingDependsOnIsChecked) {
    Game game(1);
    game.s.Sprites.resize(13);
    game.s.Sprites[kWallSprite].Height = 120;
    Replay r;
    r.LevelsHash = 1;
    r.AnimationsHash = 2;
    r.WallPictureHeight = 120;
    EXPECT_EQ(DifferingDataFile(r, game.s, 1, 2), std::nullopt);
    EXPECT_EQ(DifferingDataFile(r, game.s, 3, 2), "levels.ko");
    EXPECT_EQ(DifferingDataFile(r, game.s, 1, 3), "animations.ko");
    game.s.Sprites[kWallSprite].Height = 121;
    EXPECT_EQ(DifferingDataFile(r, game.s, 1, 2), "pictures/ko12");
}

}  // namespace
}  // namespace ZapModule
