// The replay file: its text reads back to the same recording, and anything foreign, cut short,
// damaged or inconsistent is refused with a reason; the replay folder keeps the newest files.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "storage/replay_file.h"
#include "storage/replay_folder.h"

namespace ZapModule {
namespace {

Replay Sample() {
    Replay r;
    r.Recorded = "2026-12-07 23:40:12";
    r.Seed = 4294967295u;
    r.Tick = 8000;
    r.Sound = false;
    r.LevelsHash = 0x0123456789abcdefull;
    r.AnimationsHash = 0xfedcba9876543210ull;
    r.WallPictureHeight = 475;
    r.Roster = {{"Ada", 10, 0, 3}, {"Pepa Nov\xc3\xa1k %1\n", -5, 70000, -1}, {"", 0, 0, 0}};
    r.Current = 1;
    r.Player = r.Roster[1];
    r.Hall[0] = {"*QUORN*", 2000};
    r.Hall[9] = {"a\tb", -32768};
    r.Events = {{0, 0, ReplayInput::KeyDown, 40, 0},
                {0, 15, ReplayInput::KeyDown, 32, 0},
                {7, 90, ReplayInput::KeyUp, 40, 0},
                {7, 91, ReplayInput::Click, 600, 360},
                {9000000000, 100000000, ReplayInput::KeyDown, 80, 0}};
    r.EndStep = 9000000001;
    r.EndMillis = 100000020;
    r.End = ReplayEnd::GameOver;
    return r;
}

void ExpectSame(const Replay& a, const Replay& b) {
    EXPECT_EQ(a.Recorded, b.Recorded);
    EXPECT_EQ(a.Seed, b.Seed);
    EXPECT_EQ(a.Tick, b.Tick);
    EXPECT_EQ(a.Sound, b.Sound);
    EXPECT_EQ(a.LevelsHash, b.LevelsHash);
    EXPECT_EQ(a.AnimationsHash, b.AnimationsHash);
    EXPECT_EQ(a.WallPictureHeight, b.WallPictureHeight);
    EXPECT_EQ(a.Current, b.Current);
    ASSERT_EQ(a.Roster.size(), b.Roster.size());
    for (size_t i = 0; i < a.Roster.size(); ++i) {
        EXPECT_EQ(a.Roster[i].Name, b.Roster[i].Name);
        EXPECT_EQ(a.Roster[i].Iq, b.Roster[i].Iq);
        EXPECT_EQ(a.Roster[i].Level, b.Roster[i].Level);
        EXPECT_EQ(a.Roster[i].SpareBalls, b.Roster[i].SpareBalls);
    }
    EXPECT_EQ(a.Player.Name, b.Player.Name);
    for (size_t i = 0; i < a.Hall.size(); ++i) {
        EXPECT_EQ(a.Hall[i].Name, b.Hall[i].Name);
        EXPECT_EQ(a.Hall[i].Score, b.Hall[i].Score);
    }
    EXPECT_EQ(a.Events, b.Events);
    EXPECT_EQ(a.EndStep, b.EndStep);
    EXPECT_EQ(a.EndMillis, b.EndMillis);
    EXPECT_EQ(a.End, b.End);
}

// The text with its checksum made right again, so that a test reaches the checks behind it.
std::string Resigned(std::string text) {
    const size_t last = text.rfind("checksum ");
    text.resize(last);
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx",
                  static_cast<unsigned long long>(Fnv1a64(text.data(), text.size())));
    return text + "checksum " + hex + "\n";
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

std::string Problem(const std::string& text) {
    const ReplayParse parsed = ParseReplay(text);
    EXPECT_FALSE(parsed.Read.has_value()) << text;
    return parsed.Problem;
}

TEST(ReplayFileTest, TextReadsBackToTheSameRecording) {
    const Replay original = Sample();
    const std::string text = ReplayText(original);
    EXPECT_EQ(text.rfind("ZAPWALL-REPLAY 1\n", 0), 0u);
    // Names are single words: blanks, '%' and control characters are coded.
    EXPECT_NE(text.find("roster -5 70000 -1 Pepa%20Nov\xc3\xa1k%20%251%0A\n"), std::string::npos);
    EXPECT_NE(text.find("\nroster 0 0 0\n"), std::string::npos);
    EXPECT_NE(text.find("\n7 91 click 600 360\n"), std::string::npos);
    EXPECT_NE(text.find("\nend 9000000001 100000020 gameover\n"), std::string::npos);
    const ReplayParse parsed = ParseReplay(text);
    ASSERT_TRUE(parsed.Read.has_value()) << parsed.Problem;
    ExpectSame(original, *parsed.Read);

    // Every end and a player outside the roster read back too.
    for (ReplayEnd end : {ReplayEnd::Quit, ReplayEnd::Closed}) {
        Replay other = Sample();
        other.End = end;
        other.Current = -1;
        other.Player = {"NoBrain", 1, 2, 3};
        other.Events.clear();
        const ReplayParse again = ParseReplay(ReplayText(other));
        ASSERT_TRUE(again.Read.has_value()) << again.Problem;
        ExpectSame(other, *again.Read);
    }
}

TEST(ReplayFileTest, HashIsFnv1a64) {
    EXPECT_EQ(Fnv1a64("", 0), 0xcbf29ce484222325ull);
    EXPECT_EQ(Fnv1a64("a", 1), 0xaf63dc4c8601ec8cull);
    EXPECT_EQ(Fnv1a64("foobar", 6), 0x85944171f73967e8ull);
}

TEST(ReplayFileTest, ForeignCutShortAndDamagedFilesAreRefused) {
    const std::string text = ReplayText(Sample());
    EXPECT_NE(Problem("").find("not a Zapwall replay"), std::string::npos);
    EXPECT_NE(Problem("\x01\x00\x03\x00").find("not a Zapwall replay"), std::string::npos);
    EXPECT_NE(Problem("ZAPWALL-REPLAYS 1\n").find("not a Zapwall replay"), std::string::npos);
    EXPECT_NE(Problem("ZAPWALL-REPLAY 2\nwhatever\n").find("version \"2\""), std::string::npos);
    EXPECT_NE(Problem(text.substr(0, text.size() / 2)).find("cut short"), std::string::npos);
    EXPECT_NE(Problem(text.substr(0, text.size() - 1)).find("cut short"), std::string::npos);
    EXPECT_NE(Problem(Replaced(text, "seed 4294967295", "seed 4294967294")).find("damaged"),
              std::string::npos);
    EXPECT_NE(Problem(Replaced(text, "\n7 90 keyup", "\r\n7 90 keyup")).find("damaged"),
              std::string::npos);
}

TEST(ReplayFileTest, InconsistentFilesAreRefusedWithTheLine) {
    const std::string text = ReplayText(Sample());
    const struct {
        std::string From, To, Expected;
    } cases[] = {
        {"tick 8000", "tick 0", "line 4: 0 is outside 1 to 10000"},
        {"tick 8000", "tick 80x", "line 4: \"80x\" is not a number"},
        {"sound off", "sound maybe", "line 5: expected on or off"},
        {"levels 0123456789abcdef", "levels 0123", "line 6: expected 16 hexadecimal digits"},
        {"seed 4294967295\n", "", "the \"seed\" line is missing"},
        {"tick 8000\n", "tick 8000\ntick 8000\n", "line 5: \"tick\" appears twice"},
        {"wall-picture", "wall-pictures", "unknown line \"wall-pictures\""},
        {"hall 2000 *QUORN*\n", "", "the hall of fame has 9 rows, not ten"},
        {"player 1 -5", "player 1 -6", "the player differs from its roster line"},
        {"player 1", "player 3", "the player's roster line 3 does not exist"},
        {"Pepa%20Nov\xc3\xa1k%20%251%0A\nroster", "Pepa%2\nroster", "broken %XX code"},
        {"7 90 keyup 40", "7 90 keyup", "expected 4 words"},
        {"7 90 keyup 40", "7 90 keypress 40", "expected \"STEP MILLIS keydown CODE\""},
        {"7 90 keyup 40", "7 10 keyup 40", "the input comes before the one above it"},
        {"7 90 keyup 40", "7 90  keyup 40", "exactly one blank"},
        {"end 9000000001", "end 8999999999", "the game ends before its last input"},
        {"gameover\n", "won\n", "expected quit, gameover or closed"},
        {"gameover\n", "gameover\n0 0 keydown 32\n", "nothing may follow the \"end\" line"},
        {"end 9000000001 100000020 gameover\n", "", "the \"end\" line is missing"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.From + " -> " + c.To);
        EXPECT_NE(Problem(Resigned(Replaced(text, c.From, c.To))).find(c.Expected),
                  std::string::npos)
            << Problem(Resigned(Replaced(text, c.From, c.To)));
    }
}

class ReplayFolderTest : public ::testing::Test {
  protected:
    ReplayFolderTest() {
        folder = std::filesystem::temp_directory_path() /
                 ("zapwall-replays-" + std::to_string(::getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(folder);
    }
    ~ReplayFolderTest() override { std::filesystem::remove_all(folder); }

    static Replay At(const std::string& recorded, const std::string& name) {
        Replay r = Sample();
        r.Recorded = recorded;
        r.Current = -1;
        r.Player.Name = name;
        return r;
    }

    std::filesystem::path folder;
};

TEST_F(ReplayFolderTest, NamesAreDateTimeAndASafePlayerName) {
    EXPECT_EQ(ReplayFileName("2026-12-07 23:40:12", "Pepa"),
              "2026-12-07_23-40-12_Pepa.zapwall-replay");
    EXPECT_EQ(ReplayFileName("2026-12-07 23:40:12", "*QUORN*"),
              "2026-12-07_23-40-12__QUORN_.zapwall-replay");
    EXPECT_EQ(ReplayFileName("2026-12-07 23:40:12",
                             "../\xc4\x8c"
                             "ert .x"),
              "2026-12-07_23-40-12____\xc4\x8c"
              "ert__x.zapwall-replay");
    EXPECT_EQ(ReplayFileName("2026-12-07 23:40:12", ""), "2026-12-07_23-40-12.zapwall-replay");
    // A long name is cut, never inside a letter's bytes.
    EXPECT_EQ(ReplayFileName("2026-12-07 23:40:12", std::string(31, 'a') + "\xc4\x8c"),
              "2026-12-07_23-40-12_" + std::string(31, 'a') + ".zapwall-replay");
}

TEST_F(ReplayFolderTest, SavesCrashSafelyWithoutOverwritingAndKeepsTheNewest) {
    const auto first = SaveReplay(folder.string(), At("2026-01-01 10:00:00", "Ada"), 3);
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(*first, (folder / "2026-01-01_10-00-00_Ada.zapwall-replay").string());
    std::ifstream in(*first, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_TRUE(ParseReplay(text).Read.has_value());

    // Two games in one second both stay.
    const auto second = SaveReplay(folder.string(), At("2026-01-01 10:00:00", "Ada"), 3);
    ASSERT_TRUE(second.has_value());
    EXPECT_EQ(*second, (folder / "2026-01-01_10-00-00_Ada-2.zapwall-replay").string());

    // A file of the player's own naming is never removed.
    std::ofstream(folder / "my best game.zapwall-replay") << "mine";
    SaveReplay(folder.string(), At("2026-01-02 10:00:00", "Bara"), 3);
    SaveReplay(folder.string(), At("2026-01-03 10:00:00", "Cyril"), 3);
    const std::vector<std::string> kept = KeptReplays(folder.string());
    EXPECT_EQ(kept, (std::vector<std::string>{"2026-01-01_10-00-00_Ada.zapwall-replay",
                                              "2026-01-02_10-00-00_Bara.zapwall-replay",
                                              "2026-01-03_10-00-00_Cyril.zapwall-replay"}));
    EXPECT_TRUE(std::filesystem::exists(folder / "my best game.zapwall-replay"));
    // No temporary file is left behind.
    size_t files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++files;
    EXPECT_EQ(files, 4u);
}

TEST_F(ReplayFolderTest, AFolderThatCannotBeMadeIsAFailure) {
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "file") << "x";
    EXPECT_FALSE(SaveReplay((folder / "file" / "replays").string(), Sample()).has_value());
}

}  // namespace
}  // namespace ZapModule
