// SPDX-License-Identifier: GPL-3.0-or-later
// The close handlers: what each order keeps, and that the program ends once.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "game/replay.h"
#include "shell/closing.h"
#include "shell/program_messages.h"
#include "storage/replay_folder.h"
#include "storage/roster.h"
#include "storage/tick.h"
#include "tests/lib/test_files.h"
#include "tests/shell/shell_fixture.h"

namespace ZapModule {
namespace {

class ClosingTest : public ShellFixture {
  protected:
    ClosingTest() {
        closing.StopGameLoop = [this] { ++loopStops; };
        closing.TickSetting = [this] { return menu.Tick(); };
        closing.EndProgram = [this](int status) { ends.push_back(status); };
        closing.ReplayFolder = folder.string();
    }

    // A game of the first player begins, recorded.
    void StartRecorded(ReplayRecorder& recorder) {
        panel.Select(0);
        ASSERT_TRUE(menu.Start(0));
        recorder.Begin(s, ReplayOrigin{7, 1, 2, "2026-12-08 10:00:00"}, [] { return int64_t{0}; });
        s.Recorder = &recorder;
        closing.Recorder = &recorder;
    }

    std::vector<PlayerRecord> SavedRoster() {
        return ParseRoster(files.Held.at(kRosterFile)).Players;
    }

    CloseHandlers closing{s};
    testing::TempFolder temp;
    std::filesystem::path folder{temp / "replays"};
    int loopStops = 0;
    std::vector<int> ends;
};

TEST_F(ClosingTest, LeavingTheMenuWritesTheSpeedAndTheRosterAndChangesNoPlayer) {
    menu.SetTick(250);
    closing.CloseMenu();
    EXPECT_EQ(files.Held.at(kTickFile), FormatTick(250));
    EXPECT_EQ(SavedRoster(), kRoster);
    EXPECT_TRUE(sounds->Calls.empty());  // never set up
    // The game screen's handler ran inside and ended the program, once.
    EXPECT_EQ(loopStops, 1);
    EXPECT_EQ(ends, std::vector<int>{0});
    EXPECT_TRUE(closing.Ended());
    EXPECT_FALSE(std::filesystem::exists(folder));  // nothing was recorded
}

TEST_F(ClosingTest, ClosingTheGameStoresTheProgressKeepsTheReplayAndEndsOnce) {
    menu.SetTick(300);
    ReplayRecorder recorder;
    StartRecorded(recorder);
    s.Iq = 900;
    s.BallsLeft = 1;
    s.Level = 6;
    menu.SetTick(9999);  // the speed bar's value at the end is what tick.ko gets

    closing.CloseGameScreen();
    closing.CloseMenu();  // a second request changes nothing
    EXPECT_EQ(SavedRoster()[0], (PlayerRecord{"Ann", 900, 6, 1}));
    EXPECT_EQ(files.Held.at(kTickFile), FormatTick(9999));
    EXPECT_EQ(s.Recorder, nullptr);
    EXPECT_FALSE(recorder.Recording());
    EXPECT_EQ(KeptReplays(folder.string()).size(), 1u);
    EXPECT_EQ(std::count(sounds->Calls.begin(), sounds->Calls.end(), "StopAll"), 2);
    EXPECT_EQ(ends, std::vector<int>{0});
    EXPECT_TRUE(s.Levels.Bytes.empty());
}

TEST_F(ClosingTest, AFullDiskAtTheEndBringsOneMessageNamingEveryFileBeforeTheEnd) {
    ReplayRecorder recorder;
    StartRecorded(recorder);
    files.FailWrites = true;
    std::ofstream(folder) << "no folder";  // the replays' folder cannot be made
    std::vector<std::string> told;
    closing.EndProgram = [&](int) {
        for (const auto& m : window.Messages)
            if (m.Text.find("se nepodařilo uložit") != std::string::npos) told.push_back(m.Text);
    };
    closing.CloseGameScreen();
    ASSERT_EQ(told.size(), 1u);
    for (const char* file : {"players.ko se", "tick.ko se", "replays/2026-12-08_10-00-00_Ann"})
        EXPECT_NE(told[0].find(file), std::string::npos) << told[0];
}

TEST_F(ClosingTest, KeepingAGameWithoutAPlayerWritesTheRosterUnchanged) {
    KeepPlayersProgress(s);
    EXPECT_EQ(SavedRoster(), kRoster);
}

TEST_F(ClosingTest, WatchingAReplayWritesNothingAndSaysWhenTheGameLeftTheRecording) {
    closing.ClosePlayback(true);
    closing.ClosePlayback();
    EXPECT_EQ(files.WriteCount, 0);
    EXPECT_EQ(loopStops, 1);
    EXPECT_EQ(ends, std::vector<int>{1});  // as zapwall-sim ends
    ASSERT_FALSE(window.Messages.empty());
    EXPECT_EQ(window.Messages[0].Text, kReplayDiverged);
}

}  // namespace
}  // namespace ZapModule
