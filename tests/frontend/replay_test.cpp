// SPDX-License-Identifier: GPL-3.0-or-later
// Replays in the program: a game played on the game screen leaves a replay that the engine runs
// to exactly the progress the game stored, and watching a replay plays it out on the game screen,
// answers P and Esc, refuses damaged files and writes nothing.

#include <QKeyEvent>
#include <algorithm>

#include "game/input.h"
#include "game/kept_files.h"
#include "game/level_flow.h"
#include "game/replay.h"
#include "game/startup.h"
#include "game/state_difference.h"
#include "game/tick.h"
#include "pictures/picture_loader.h"
#include "tests/frontend/program_fixture.h"
#include "tests/storage/storage_test_support.h"

namespace ZapModule {
namespace {

class ReplayProgramTest : public ProgramTest {
  protected:
    std::vector<std::filesystem::path> Files() const {
        std::vector<std::filesystem::path> files;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(folder_))
            if (entry.is_regular_file()) files.push_back(entry.path());
        std::sort(files.begin(), files.end());
        return files;
    }

    // A headless game on the test's data folder, seeded, for recording or replaying.
    struct Headless : testing::StorageFixture {
        StartupResult loaded;
        Headless(const std::filesystem::path& data, uint32_t seed) {
            s.DataFolder = data.string();
            window.SoundSwitch = false;
            s.Random.Seed(seed);
            loaded = LoadGameData(s, LoadPicture);
        }
    };

    // Records a game of NoBrain at Tick `tick`: Space to start and release, the bat held down,
    // Esc at step `quitAt`; every loop iteration is a millisecond.
    // With `pauseAt`, the player pauses the game at that step for `pauseMillis`.
    std::string RecordQuitGame(int16_t tick, int64_t quitAt, int64_t pauseAt = -1,
                               int64_t pauseMillis = 0) {
        Headless game(Data(), 1234);
        EXPECT_TRUE(game.loaded.Refusal.empty());
        StartGameAs(game.s, PlayerRecord{"NoBrain", 0, 0, 3}, tick);
        int64_t now = 0;
        ReplayRecorder recorder;
        recorder.Begin(game.s,
                       ReplayOrigin{1234, game.loaded.LevelsHash, game.loaded.AnimationsHash,
                                    "2026-12-07 23:40:12"},
                       [&] { return now; });
        game.s.Recorder = &recorder;
        FieldKeyDown(game.s, kKeySpace);
        FieldKeyDown(game.s, kKeyDown);
        // A step every Tick passes of 1.25 µs, as the game loop keeps them (readers refuse a
        // replay with more steps than its time allows).
        const int64_t stepMillis = std::max<int64_t>(1, tick * 125 / 100000);
        bool paused = false;
        for (int64_t step = 0; game.s.Unloaded != kTrue; ++step, now += stepMillis) {
            if (step == 5) FieldKeyDown(game.s, kKeySpace);
            if (game.s.Steps == quitAt) FieldKeyDown(game.s, kKeyEscape);
            if (game.s.Steps == pauseAt && !paused) {
                paused = true;
                FieldKeyDown(game.s, kKeyP);
                now += pauseMillis;
                FieldKeyDown(game.s, kKeyP);
            }
            GameStep(game.s);
        }
        recorded = GameOnly(game.s);
        std::string path = (folder_ / "game.zapwall-replay").string();
        testing::WriteText(path, ReplayText(recorder.Finish(game.s)));
        return path;
    }

    // The data of a game without what lies around it: the sprites and the level file (which the
    // program releases as it closes), the drawn field (a headless game draws none) and the
    // program's folder.
    static GameData GameOnly(GameData d) {
        d.Sprites.clear();
        d.Levels = LevelFile{};
        d.Field = Surface();
        d.AppPath.clear();
        return d;
    }

    GameData recorded;  // the recorded game as it ended, GameOnly
};

TEST_F(ReplayProgramTest, APlayedGameLeavesAReplayOfExactlyThatGame) {
    StartGame(800, PlayerRecord{"Ann", 50, 3, 9});  // 1 ms steps: much game in little time
    // The inputs come between steps, as a player's would: arrows held across the start, the
    // ball released, a pause with a key released inside it, then Esc.
    PressKey(Qt::Key_Down);
    PressKey(Qt::Key_Space);
    ASSERT_TRUE(RunUntil([&] { return State().Steps >= 20; }));
    ReleaseKey(Qt::Key_Down);
    PressKey(Qt::Key_Space);
    PressKey(Qt::Key_Up);
    ASSERT_TRUE(RunUntil([&] { return State().Steps >= 300; }));
    PressKey(Qt::Key_P);
    ASSERT_TRUE(RunPastTimersOf(std::chrono::milliseconds(50)));
    ReleaseKey(Qt::Key_Up);
    PressKey(Qt::Key_P);
    ASSERT_TRUE(RunUntil([&] { return State().Steps >= 600; }));
    PressKey(Qt::Key_Escape);
    ASSERT_TRUE(RunUntil([&] { return App().Ended(); }));

    const ReplayParse parsed = ParseReplay(KeptReplay());
    ASSERT_TRUE(parsed.Read.has_value()) << parsed.Problem;
    const Replay& r = *parsed.Read;
    EXPECT_EQ(r.Tick, 800);
    EXPECT_EQ(r.End, ReplayEnd::Quit);
    EXPECT_GE(r.Events.size(), 8u);

    Headless again(Data(), r.Seed);
    StartRecordedGame(again.s, r);
    const ReplayRun run = RunRecordedGame(again.s, r);
    EXPECT_EQ(run.Divergence, "");
    StoreCurrentPlayer(again.s);
    EXPECT_EQ(StoredPlayers(), again.s.Players);
}

// The recorded inputs alone play the game out to where it ended; the viewer's keys reach only the
// watching (Space skips the rest of a recorded pause, which the caption shows); nothing is written.
TEST_F(ReplayProgramTest, WatchingPlaysTheGameOutAndWritesNothing) {
    // A pause of 100 s at step 100 of a game that quits at step 400.
    const std::string replay = RecordQuitGame(800, 400, 100, 100000);
    const std::vector<std::filesystem::path> before = Files();
    ASSERT_EQ(MakeProgram().StartPlayback(replay), std::nullopt);
    EXPECT_TRUE(Screen().isVisible());
    EXPECT_FALSE(Menu().isVisible());
    EXPECT_TRUE(Screen().windowTitle().contains(QString::fromUtf8("záznam hry")));
    const QString pauseCaption = QString::fromUtf8("(hráč dal pauzu; mezerník ji přeskočí)");
    App().Timer1().OnStep = [&](StepClock::time_point) {
        // Between steps the recorded pause is not on: the viewer's Space skips nothing then.
        EXPECT_FALSE(Screen().windowTitle().endsWith(pauseCaption));
        PressKey(Qt::Key_Space);
        PressKey(Qt::Key_Up);
        EXPECT_EQ(State().MovingUp, kFalse);
    };
    ASSERT_TRUE(RunUntil([&] { return State().Paused == kTrue; }));
    EXPECT_TRUE(Screen().windowTitle().endsWith(pauseCaption))
        << Screen().windowTitle().toStdString();
    App().Timer1().OnStep = nullptr;
    PressKey(Qt::Key_Space);
    // The rest of the pause is skipped: the game goes on at once and ends as recorded.
    ASSERT_TRUE(RunUntil([&] { return App().Ended(); }));
    EXPECT_EQ(DataDifference(GameOnly(State()), recorded), "");
    EXPECT_FALSE(Screen().windowTitle().endsWith(pauseCaption));
    EXPECT_EQ(State().Unloaded, kTrue);
    EXPECT_EQ(exits_, std::vector<int>{0});
    EXPECT_FALSE(Said("Záznam"));
    EXPECT_EQ(Files(), before);
}

// The viewer's P and Esc reach the watching's rules (tests/shell); here the held watching holds
// the game loop and the caption shows it.
TEST_F(ReplayProgramTest, PHoldsTheWatchingAndEscEndsIt) {
    const std::string replay = RecordQuitGame(8000, 2000);  // 20 s of game
    ASSERT_EQ(MakeProgram().StartPlayback(replay), std::nullopt);
    // Held at step 20 for as long as five steps take, resumed, and ended five steps later.
    ASSERT_TRUE(RunUntil([&] { return State().Steps >= 20; }));
    PressKey(Qt::Key_P);
    const int64_t heldAt = State().Steps;
    EXPECT_TRUE(App().Playback()->Held());
    EXPECT_TRUE(Screen().windowTitle().contains("pauza"));
    ASSERT_TRUE(RunPastTimersOf(std::chrono::milliseconds(50)));
    EXPECT_LE(State().Steps - heldAt, 1);
    PressKey(Qt::Key_P);
    const int64_t resumedAt = State().Steps;
    ASSERT_TRUE(RunUntil([&] { return State().Steps >= resumedAt + 5; }))
        << "the watching goes on after the second P";
    PressKey(Qt::Key_Escape);
    ASSERT_TRUE(RunUntil([&] { return App().Ended(); }));
    EXPECT_LT(State().Steps, 2000);
    EXPECT_EQ(exits_, std::vector<int>{0});
}

// Which replays are refused, and why, is the shell's (tests/shell); here the refusal is said and
// nothing is shown or written.
TEST_F(ReplayProgramTest, ARefusedReplayIsSaidAndNothingIsShownOrWritten) {
    const std::string text = testing::ReadText(RecordQuitGame(800, 50));
    const std::string damaged = (folder_ / "damaged.zapwall-replay").string();
    testing::WriteText(damaged, text.substr(0, text.size() / 2));
    const std::vector<std::filesystem::path> before = Files();
    EXPECT_EQ(MakeProgram().StartPlayback(damaged), 1);
    EXPECT_TRUE(Said("Záznam hry nelze přehrát:\n" + damaged + "\nsoubor je useknutý"));
    EXPECT_FALSE(Screen().isVisible());
    EXPECT_EQ(Files(), before);
}

}  // namespace
}  // namespace ZapModule
