// SPDX-License-Identifier: GPL-3.0-or-later
// The replay file: its text reads back to the same recording, and anything foreign, cut short,
// damaged or inconsistent is refused with a reason; the replay folder keeps the newest files.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "storage/replay_file.h"
#include "storage/replay_folder.h"
#include "storage/replay_journal.h"
#include "tests/storage/storage_test_support.h"

namespace ZapModule {
namespace {

using ::testing::HasSubstr;

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
                {19000000, 100000000, ReplayInput::KeyDown, 80, 0}};
    r.EndStep = 19000001;
    r.EndMillis = 100000020;
    r.End = ReplayEnd::GameOver;
    return r;
}

// The text with its checksum made right again, so that a test reaches the checks behind it.
std::string Resigned(const std::string& text) {
    return testing::WithChecksum(text.substr(0, text.rfind("checksum ")));
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
    for (const char* line :
         {"roster -5 70000 -1 Pepa%20Nov\xc3\xa1k%20%251%0A\n", "\nroster 0 0 0\n",
          "\n7 91 click 600 360\n", "\nend 19000001 100000020 gameover\n"})
        EXPECT_THAT(text, HasSubstr(line));
    const ReplayParse parsed = ParseReplay(text);
    ASSERT_TRUE(parsed.Read.has_value()) << parsed.Problem;
    // Two recordings are the same when they give the same text (every field is written).
    EXPECT_EQ(ReplayText(*parsed.Read), text);

    // Every end and a player outside the roster read back too.
    for (ReplayEnd end : {ReplayEnd::Quit, ReplayEnd::Closed, ReplayEnd::Cut}) {
        Replay other = Sample();
        other.End = end;
        other.Current = -1;
        other.Player = {"NoBrain", 1, 2, 3};
        other.Events.clear();
        const ReplayParse again = ParseReplay(ReplayText(other));
        ASSERT_TRUE(again.Read.has_value()) << again.Problem;
        EXPECT_EQ(ReplayText(*again.Read), ReplayText(other));
    }
}

TEST(ReplayFileTest, HashIsFnv1a64) {
    EXPECT_EQ(Fnv1a64("", 0), 0xcbf29ce484222325ull);
    EXPECT_EQ(Fnv1a64("a", 1), 0xaf63dc4c8601ec8cull);
    EXPECT_EQ(Fnv1a64("foobar", 6), 0x85944171f73967e8ull);
}

TEST(ReplayFileTest, ForeignCutShortAndDamagedFilesAreRefused) {
    const std::string text = ReplayText(Sample());
    for (const auto& [file, said] :
         {std::pair<std::string, std::string>{"", "není to záznam hry Zapwall"},
          {std::string("\x01\x00\x03\x00", 4), "není to záznam hry Zapwall"},
          {"ZAPWALL-REPLAYS 1\n", "není to záznam hry Zapwall"},
          {"ZAPWALL-REPLAY 2\nwhatever\n", "verze záznamu \"2\""},
          {text.substr(0, text.size() / 2), "useknutý"},
          {text.substr(0, text.size() - 1), "useknutý"},
          {Replaced(text, "seed 4294967295", "seed 4294967294"), "poškozený"},
          {Replaced(text, "\n7 90 keyup", "\r\n7 90 keyup"), "poškozený"}})
        EXPECT_THAT(Problem(file), HasSubstr(said));
}

TEST(ReplayFileTest, InconsistentFilesAreRefusedWithTheLine) {
    const std::string text = ReplayText(Sample());
    const struct {
        std::string From, To, Expected;
    } cases[] = {
        {"tick 8000", "tick 0", "řádek 4: 0 je mimo rozsah 1 až 10000"},
        {"tick 8000", "tick 80x", "řádek 4: \"80x\" není číslo"},
        {"sound off", "sound maybe", "řádek 5: očekává se on nebo off"},
        {"levels 0123456789abcdef", "levels 0123", "řádek 6: očekává se 16 šestnáctkových číslic"},
        {"seed 4294967295\n", "", "chybí řádek \"seed\""},
        {"tick 8000\n", "tick 8000\ntick 8000\n", "řádek 5: \"tick\" je tu podruhé"},
        {"wall-picture", "wall-pictures", "neznámý řádek \"wall-pictures\""},
        {"hall 2000 *QUORN*\n", "", "síň slávy má 9 řádků, ne deset"},
        {"player 1 -5", "player 1 -6", "hráč se liší od svého řádku v seznamu hráčů"},
        {"player 1", "player 3", "řádek hráče 3 v seznamu hráčů neexistuje"},
        {"Pepa%20Nov\xc3\xa1k%20%251%0A\nroster", "Pepa%2\nroster", "vadný kód %XX"},
        {"7 90 keyup 40", "7 90 keyup", "očekává se 4 slov"},
        {"7 90 keyup 40", "7 90 keypress 40", "očekává se \"KROK MS keydown KÓD\""},
        {"7 90 keyup 40", "7 10 keyup 40", "vstup je dřív než vstup nad ním"},
        {"7 90 keyup 40", "7 90  keyup 40", "právě jedna mezera"},
        {"end 19000001", "end 18999999", "hra končí dřív než její poslední vstup"},
        {"gameover\n", "won\n", "očekává se quit, gameover, closed nebo cut"},
        {"gameover\n", "gameover\n0 0 keydown 32\n", "za řádkem \"end\" už nic být nesmí"},
        {"end 19000001 100000020 gameover\n", "", "chybí řádek \"end\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.From + " -> " + c.To);
        EXPECT_THAT(Problem(Resigned(Replaced(text, c.From, c.To))), HasSubstr(c.Expected));
    }
}

// A replay whose body is `body` (the lines after the first), with a right checksum.
std::string Signed(const std::string& body) {
    return Resigned("ZAPWALL-REPLAY 1\n" + body + "checksum 0\n");
}

TEST(ReplayFileTest, HostileFilesAreRefusedByTheirLengthNotReadWhole) {
    const std::string text = ReplayText(Sample());
    // Windows line ends are named as such, not as an unknown version.
    std::string crlf;
    for (const char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    EXPECT_THAT(Problem(crlf), HasSubstr("CR LF"));
    // A line longer than any replay needs, and a file of blank lines, end at their first line;
    // an end that the game's length cannot hold (10^15 steps in ten seconds, or in a century), or
    // more than any tool should run (a year at the fastest pace, half an hour of CPU).
    const std::string header = text.substr(0, text.find("0 0 keydown 40"));
    for (const auto& [body, said] : {
             std::pair<std::string, std::string>{std::string(kMaxReplayLineBytes + 1, ' ') + "\n",
                                                 "řádek 2: řádek je delší než"},
             {std::string(100000, '\n'), "řádek 2: slova odděluje"},
             {header.substr(17) + "end 1000000000000000 10000 closed\n",
              "nemohla za 10000 ms provést 1000000000000000 kroků (nejvýše 17600000)"},
             {header.substr(17) + "end 1000000000000000 3153600000000 closed\n", "déle než rok"},
             {header.substr(17) + "end 6000000000 31536000000 closed\n", "nejvýše 40000000 kroků"},
         })
        EXPECT_THAT(Problem(Signed(body)), HasSubstr(said));
    // At Tick 8000 the game steps 100 times a second: a minute allows 12 200 steps (twice the
    // pace and a second besides).
    EXPECT_TRUE(ParseReplay(Signed(header.substr(17) + "end 12200 60000 closed\n")).Read);
    EXPECT_THAT(Problem(Signed(header.substr(17) + "end 12201 60000 closed\n")),
                HasSubstr("nejvýše 12200"));
    // More inputs than a game of that length can get.
    std::string inputs;
    for (int i = 0; i < 2000; ++i) inputs += "0 0 keydown 40\n";
    EXPECT_THAT(Problem(Signed(header.substr(17) + inputs + "end 0 0 closed\n")),
                HasSubstr("řádek 1047: hra této délky nemůže mít víc než 1024 vstupů"));
    EXPECT_TRUE(ParseReplay(Signed(header.substr(17) + inputs + "end 100 0 closed\n")).Read);
    // A name the game cannot have written: not UTF-8, or beyond what players.ko can store.
    for (const auto& [name, said] : {std::pair{"%C3%28", "není platný text v UTF-8"},
                                     {"%E6%BC%A2", "má znak, který kódování Windows-1250"}})
        EXPECT_THAT(Problem(Resigned(
                        Replaced(text, "hall 2000 *QUORN*", "hall 2000 " + std::string(name)))),
                    HasSubstr("řádek 13: jméno " + std::string(said)));
}

TEST(ReplayFileTest, AFileIsReadAsItsTextWithTheReadingsReasons) {
    testing::TempFolder folder;
    const std::string text = ReplayText(Sample());
    testing::WriteText(folder / "game.zapwall-replay", text);
    const ReplayParse read = ReadReplayFile(folder / "game.zapwall-replay");
    ASSERT_TRUE(read.Read.has_value()) << read.Problem;
    EXPECT_EQ(ReplayText(*read.Read), text);
    testing::WriteText(folder / "damaged.zapwall-replay", Replaced(text, "seed 4", "seed 3"));
    EXPECT_THAT(ReadReplayFile(folder / "damaged.zapwall-replay").Problem, HasSubstr("poškozený"));

    EXPECT_EQ(ReadReplayFile(folder / "missing").Problem, "soubor chybí");
    EXPECT_EQ(ReadReplayFile(folder.Path()).Problem, "není to obyčejný soubor");
    ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0600), 0);
    EXPECT_EQ(ReadReplayFile(folder / "fifo").Problem, "není to obyčejný soubor");
    std::filesystem::resize_file(folder / "game.zapwall-replay", kMaxReplayFileSize + 1);
    EXPECT_THAT(ReadReplayFile(folder / "game.zapwall-replay").Problem, HasSubstr("příliš velký"));
}

class ReplayFolderTest : public ::testing::Test {
  protected:
    static Replay At(const std::string& recorded, const std::string& name) {
        Replay r = Sample();
        r.Recorded = recorded;
        r.Current = -1;
        r.Player.Name = name;
        return r;
    }

    testing::TempFolder temp;
    std::filesystem::path folder = temp / "replays";
};

TEST_F(ReplayFolderTest, NamesAreDateTimeAndASafePlayerName) {
    for (const auto& [name, file] : {
             std::pair<std::string, std::string>{"Pepa", "_Pepa"},
             {"*QUORN*", "__QUORN_"},
             {"../\u010Cert .x", "____\u010Cert__x"},
             {"", ""},
             // A long name is cut, never inside a letter's bytes.
             {std::string(31, 'a') + "\u010C", "_" + std::string(31, 'a')},
         })
        EXPECT_EQ(ReplayFileName("2026-12-07 23:40:12", name),
                  "2026-12-07_23-40-12" + file + ".zapwall-replay");
}

TEST_F(ReplayFolderTest, SavesCrashSafelyWithoutOverwritingAndKeepsTheNewest) {
    const auto first = SaveReplay(folder.string(), At("2026-01-01 10:00:00", "Ada"), 3);
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(*first, (folder / "2026-01-01_10-00-00_Ada.zapwall-replay").string());
    EXPECT_TRUE(ParseReplay(testing::ReadText(*first)).Read.has_value());

    // Two games in one second both stay.
    const auto second = SaveReplay(folder.string(), At("2026-01-01 10:00:00", "Ada"), 3);
    ASSERT_TRUE(second.has_value());
    EXPECT_EQ(*second, (folder / "2026-01-01_10-00-00_Ada-2.zapwall-replay").string());

    // A file of the player's own naming is never removed.
    std::ofstream(folder / "my best game.zapwall-replay") << "mine";
    SaveReplay(folder.string(), At("2026-01-02 10:00:00", "Bara"), 3);
    SaveReplay(folder.string(), At("2026-01-03 10:00:00", "Cyril"), 3);
    const std::vector<std::string> kept = KeptReplays(folder.string());
    // The oldest written goes.
    EXPECT_EQ(kept, (std::vector<std::string>{"2026-01-01_10-00-00_Ada-2.zapwall-replay",
                                              "2026-01-02_10-00-00_Bara.zapwall-replay",
                                              "2026-01-03_10-00-00_Cyril.zapwall-replay"}));
    EXPECT_TRUE(std::filesystem::exists(folder / "my best game.zapwall-replay"));
    // No temporary file is left behind.
    EXPECT_EQ(testing::FilesIn(folder).size(), 4u);
}

TEST_F(ReplayFolderTest, AFolderThatCannotBeMadeIsAFailureWithItsOwnReason) {
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "file") << "x";
    std::string why = "left over";
    EXPECT_FALSE(SaveReplay((folder / "file").string(), Sample(), 3, &why).has_value());
    EXPECT_EQ(why, "v cestě ke složce je soubor nebo nefunkční odkaz");
    std::filesystem::create_symlink(folder / "gone", folder / "dangling");
    EXPECT_FALSE(SaveReplay((folder / "dangling").string(), Sample(), 3, &why).has_value());
    EXPECT_EQ(why, "v cestě ke složce je soubor nebo nefunkční odkaz");
    if (::geteuid() != 0) {
        std::filesystem::create_directories(folder / "locked");
        std::filesystem::permissions(folder / "locked", std::filesystem::perms::owner_read |
                                                            std::filesystem::perms::owner_exec);
        EXPECT_FALSE(SaveReplay((folder / "locked").string(), Sample(), 3, &why).has_value());
        EXPECT_EQ(why, "chybí oprávnění k zápisu");
        std::filesystem::permissions(folder / "locked", std::filesystem::perms::owner_all);
    }
}

TEST_F(ReplayFolderTest, TheGameJustPlayedStaysWhateverTheOtherNamesClaim) {
    // A hundred recordings whose names say 2099, written before the game.
    for (int i = 0; i < 100; ++i)
        ASSERT_TRUE(SaveReplay(folder.string(), At("2099-01-01 10:00:00", "Future"), 100));
    const auto played = SaveReplay(folder.string(), At("2026-01-01 10:00:00", "Now"), 100);
    ASSERT_TRUE(played.has_value());
    EXPECT_TRUE(std::filesystem::exists(*played));
    const std::vector<std::string> kept = KeptReplays(folder.string());
    EXPECT_EQ(kept.size(), 100u);
    // The oldest of them went, the newest is the game just played.
    EXPECT_EQ(kept.back(), "2026-01-01_10-00-00_Now.zapwall-replay");
    EXPECT_EQ(std::count(kept.begin(), kept.end(), "2099-01-01_10-00-00_Future.zapwall-replay"), 0);
    EXPECT_EQ(kept.front(), "2099-01-01_10-00-00_Future-2.zapwall-replay");
    // Even when every other one was written later (a clock set ahead).
    for (const std::string& name : kept)
        std::filesystem::last_write_time(
            folder / name,
            std::filesystem::file_time_type::clock::now() + std::chrono::hours(24 * 365));
    // Those go first, and every new game keeps the one before it.
    const auto next = SaveReplay(folder.string(), At("2026-01-02 10:00:00", "Next"), 100);
    const auto last = SaveReplay(folder.string(), At("2026-01-03 10:00:00", "Last"), 100);
    ASSERT_TRUE(next && last);
    EXPECT_TRUE(std::filesystem::exists(*next));
    EXPECT_EQ(KeptReplays(folder.string()).size(), 100u);
    EXPECT_EQ(KeptReplays(folder.string()).back(), "2026-01-03_10-00-00_Last.zapwall-replay");
}

TEST_F(ReplayFolderTest, TemporaryFilesOfAKilledSaveAreRemoved) {
    std::filesystem::create_directories(folder);
    const auto stale = folder / ".2026-01-01_10-00-00_Ada.zapwall-replay.Ab3xYz";
    std::ofstream(stale) << "half";
    std::filesystem::last_write_time(
        stale, std::filesystem::file_time_type::clock::now() - std::chrono::minutes(5));
    ASSERT_TRUE(SaveReplay(folder.string(), Sample()).has_value());
    EXPECT_FALSE(std::filesystem::exists(stale));
}

// A killed game leaves its journal; the next start saves it, once, as a replay that ends "cut"
// after its last whole input, and a journal that is no replay is kept aside, never lost.
TEST_F(ReplayFolderTest, TheJournalOfAKilledGameIsSavedAsACutReplay) {
    const Replay played = Sample();
    ReplayJournal journal;
    ASSERT_TRUE(journal.Begin(folder.string(), played));
    for (const ReplayEvent& e : played.Events) journal.Append(e);
    std::ofstream(journal.Path(), std::ios::app) << "999 99";  // torn by the kill
    const std::string path = journal.Path();

    std::filesystem::copy_file(path, path + ".copy");
    const CutReplay cut = SaveCutReplay(folder.string());
    ASSERT_TRUE(cut.Saved) << cut.Problem;
    const ReplayParse saved = ReadReplayFile(*cut.Saved);
    ASSERT_TRUE(saved.Read) << saved.Problem;
    EXPECT_EQ(saved.Read->Events, played.Events);
    EXPECT_EQ(saved.Read->End, ReplayEnd::Cut);
    EXPECT_EQ(saved.Read->EndStep, played.Events.back().Step);
    EXPECT_FALSE(std::filesystem::exists(path));
    // A start killed before it removed the journal leaves it: the game is not saved again.
    std::filesystem::rename(path + ".copy", path);
    EXPECT_EQ(SaveCutReplay(folder.string()).Saved, cut.Saved);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_FALSE(SaveCutReplay(folder.string()).Saved);  // nothing left to save

    // A second journal that is no replay is kept beside the first.
    for (const char* text : {"ZAPWALL-REPLAY 1\nrecorded\n", "ZAPWALL-REPLAY 1\n"}) {
        std::ofstream(path) << text;
        EXPECT_FALSE(SaveCutReplay(folder.string()).Problem.empty());
    }
    EXPECT_EQ(std::filesystem::file_size(path + ".damaged"), 26u);
    EXPECT_EQ(std::filesystem::file_size(path + ".damaged.1"), 17u);
    EXPECT_EQ(KeptReplays(folder.string()).size(), 1u);

    // A game that ends is saved whole, and its journal goes.
    ASSERT_TRUE(journal.Begin(folder.string(), played));
    journal.Drop();
    EXPECT_FALSE(std::filesystem::exists(path));
}

}  // namespace
}  // namespace ZapModule
