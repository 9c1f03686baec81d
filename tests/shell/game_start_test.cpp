// SPDX-License-Identifier: GPL-3.0-or-later
// How a frontend starts: the build's data folder loaded with a seed, the recording that names
// that seed and those files, and a recorded game opened again, or refused with the reason.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "game/recording_window.h"
#include "graphics/png_codec.h"
#include "platform/file_reading.h"
#include "shell/game_start.h"
#include "shell/program_messages.h"
#include "storage/memory_data_files.h"
#include "storage/tick.h"
#include "tests/lib/test_files.h"

namespace ZapModule {
namespace {

uint64_t HashOfDataFile(const std::string& name) {
    return Fnv1a64(ReadRegularFile(std::string(ZAPWALL_DATA_DIR) + "/" + name, 1u << 24).Bytes);
}

class GameStartTest : public ::testing::Test {
  protected:
    GameStartTest() {
        s.DataFolder = ZAPWALL_DATA_DIR;
        s.Window = &window;
        s.Files = &files;
        start.Refuse = [this](const std::string& message) { refusals.push_back(message); };
        start.ShowBackground = [this](Surface picture) { background = std::move(picture); };
        start.ShowTick = [this](int16_t tick) { ticks.push_back(tick); };
    }

    bool Load(uint32_t seed) {
        seeds.push_back(seed);
        return start.Load(seed, ReadPngFile);  // the pictures, read without Qt
    }
    // A game recorded from a load with `seed`, ended at once; `millis` is the recording's clock.
    Replay Record(uint32_t seed) {
        EXPECT_TRUE(Load(seed));
        s.Tick = ticks.back();  // as Start hands the speed setting over
        start.BeginRecording([this] { return millis; });
        millis += 250;
        return s.Recorder->Finish(s);
    }
    std::string Write(const Replay& replay) {
        std::string path = (folder / "game.zapwall-replay").string();
        std::ofstream(path, std::ios::binary) << ReplayText(replay);
        return path;
    }
    std::optional<Replay> Open(const std::string& path) {
        return start.OpenReplay(path, "shown.zapwall-replay",
                                [this](uint32_t seed) { return Load(seed); });
    }

    GameState s;
    RecordingWindow window;
    MemoryDataFiles files;
    CloseHandlers closing{s};
    GameStart start{s, closing};
    std::vector<std::string> refusals;
    std::optional<Surface> background;
    std::vector<int16_t> ticks;
    std::vector<uint32_t> seeds;
    int64_t millis = 5000;
    testing::TempFolder temp;
    std::filesystem::path folder{temp.Path()};
};

TEST_F(GameStartTest, ARecordingNamesTheSeedAndTheFilesItsGameWasLoadedWith) {
    files.Held[kTickFile] = FormatTick(250);
    const Replay replay = Record(31337);
    EXPECT_TRUE(refusals.empty());
    ASSERT_TRUE(background.has_value());
    EXPECT_FALSE(background->Empty());
    EXPECT_EQ(ticks, std::vector<int16_t>{250});
    EXPECT_EQ(s.Field.Width(), kFieldWidth);
    EXPECT_EQ(s.Field.Height(), kFieldHeight);

    EXPECT_EQ(replay.Seed, 31337u);
    EXPECT_EQ(replay.LevelsHash, HashOfDataFile("levels.ko"));
    EXPECT_EQ(replay.AnimationsHash, HashOfDataFile("animations.ko"));
    EXPECT_FALSE(replay.Recorded.empty());
    EXPECT_EQ(replay.EndMillis, 250);  // counted by the frontend's clock from the beginning
    // The close handlers keep the replay of the game being recorded.
    EXPECT_EQ(closing.Recorder, s.Recorder);
}

TEST_F(GameStartTest, ARefusedDataFolderIsSaidOnceAndNothingIsShown) {
    s.DataFolder = folder.string();  // empty
    EXPECT_FALSE(Load(1));
    ASSERT_EQ(refusals.size(), 1u);
    EXPECT_EQ(refusals[0].rfind(DataRefusal("levels.ko"), 0), 0u) << refusals[0];
    EXPECT_FALSE(background.has_value());
    EXPECT_TRUE(ticks.empty());
    EXPECT_EQ(files.WriteCount, 0);
}

TEST_F(GameStartTest, AWatchedGameIsLoadedWithItsOwnSeed) {
    const Replay recorded = Record(77);
    const std::string path = Write(recorded);
    ASSERT_TRUE(Load(77));
    const float first = s.Random.Next();
    ASSERT_TRUE(Load(5));

    const std::optional<Replay> opened = Open(path);
    ASSERT_TRUE(opened.has_value());
    EXPECT_TRUE(refusals.empty());
    EXPECT_EQ(ReplayText(*opened), ReplayText(recorded));
    EXPECT_EQ(seeds, (std::vector<uint32_t>{77, 77, 5, 77}));
    // The random source starts again from the recorded seed, not from the load before, and a
    // game recorded now names that seed.
    EXPECT_EQ(s.Random.Next(), first);
    start.BeginRecording([] { return int64_t{0}; });
    EXPECT_EQ(s.Recorder->Finish(s).Seed, 77u);
}

TEST_F(GameStartTest, AReplayThatCannotBePlayedIsRefusedOnceWithTheReason) {
    // Recorded with another level file: refused after the load, naming the file and its path.
    Replay other = Record(8);
    other.LevelsHash ^= 1;
    EXPECT_FALSE(Open(Write(other)).has_value());
    ASSERT_EQ(refusals.size(), 1u);
    EXPECT_EQ(refusals[0], ReplayRefusal("shown.zapwall-replay",
                                         OtherDataFile("levels.ko", DataPath(s, "levels.ko"))));

    // A file that cannot be read: refused under the name the player knows, before any load.
    seeds.clear();
    EXPECT_FALSE(Open((folder / "missing.zapwall-replay").string()).has_value());
    ASSERT_EQ(refusals.size(), 2u);
    EXPECT_EQ(refusals[1].rfind(ReplayRefusal("shown.zapwall-replay", ""), 0), 0u);
    EXPECT_TRUE(seeds.empty());

    // A data folder refused while loading is said once, by the loading.
    const std::string good = Write(Record(9));
    s.DataFolder = (folder / "nothing").string();
    EXPECT_FALSE(Open(good).has_value());
    ASSERT_EQ(refusals.size(), 3u);
    EXPECT_EQ(refusals[2].rfind(DataRefusal("levels.ko"), 0), 0u) << refusals[2];
}

}  // namespace
}  // namespace ZapModule
