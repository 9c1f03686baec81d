// SPDX-License-Identifier: GPL-3.0-or-later
// The kept files as the game uses them (game/kept_files): the roster with the menu's list, the
// hall of fame with its window and the speed setting, loaded, saved, set aside when damaged and
// reported, on data files held in memory and on a disk.
#include "game/kept_files.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "game/data_check.h"
#include "storage/hall.h"
#include "storage/roster.h"
#include "storage/tick.h"
#include "tests/storage/storage_test_support.h"
#include "values/data_limits.h"

namespace ZapModule {
namespace {

using testing::Concat;
using testing::DiskFixture;
using ::testing::HasSubstr;
using testing::OnlyMessage;
using testing::ReadBytes;
using ::testing::StartsWith;
using testing::StorageFixture;
using testing::ToValues16;
using testing::Values16;
using testing::WriteBytes;
namespace fs = std::filesystem;

std::vector<std::string> Names(const std::vector<PlayerRecord>& players) {
    std::vector<std::string> names;
    names.reserve(players.size());
    for (const auto& p : players) names.push_back(p.Name);
    return names;
}

TEST(LoadRoster, FillsPlayersAndTheListInFileOrder) {
    StorageFixture f;
    f.files.Held["players.ko"] =
        SerializeRoster({PlayerRecord{"Ann"}, PlayerRecord{"Bob"}, PlayerRecord{"Čeněk"}});
    LoadRoster(f.s);
    EXPECT_EQ(Names(f.s.Players), (std::vector<std::string>{"Ann", "Bob", "Čeněk"}));
    EXPECT_EQ(f.window.PlayerLines, (std::vector<std::string>{"Ann", "Bob", "Čeněk"}));
}

// A missing or empty file: the roster is empty, the hall of fame is the design table, and neither
// is reported, set aside or written.
TEST(KeptFiles, MissingOrEmptyGiveAnEmptyRosterAndTheDesignTableWithoutMessage) {
    for (bool present : {false, true}) {
        StorageFixture f;
        if (present) f.files.Held["players.ko"] = f.files.Held["hall.ko"] = {};
        f.s.Hall[3].Name = "stale";
        LoadRoster(f.s);
        LoadHallOfFame(f.s);
        EXPECT_TRUE(f.s.Players.empty());
        EXPECT_EQ(f.s.Hall, DefaultHallTable());
        EXPECT_TRUE(f.window.Messages.empty());
        EXPECT_EQ(f.files.Held.count("players.ko.damaged"), 0u);
        EXPECT_EQ(f.files.WriteCount, 0);
    }
}

TEST(DeletePlayer, KeepsTheOrderOfRosterAndListAndClearsTheCurrentPlayer) {
    StorageFixture f;
    f.files.Held["players.ko"] = SerializeRoster(
        {PlayerRecord{"A"}, PlayerRecord{"B"}, PlayerRecord{"C"}, PlayerRecord{"D"}});
    LoadRoster(f.s);
    f.s.CurrentPlayer = 2;
    DeletePlayer(f.s, 1);
    EXPECT_EQ(Names(f.s.Players), (std::vector<std::string>{"A", "C", "D"}));
    EXPECT_EQ(f.window.PlayerLines, (std::vector<std::string>{"A", "C", "D"}));
    EXPECT_EQ(f.s.CurrentPlayer, -1);
    // Down to the last player: the roster becomes empty and is saved as such.
    for (int i = 0; i < 3; ++i) DeletePlayer(f.s, 0);
    EXPECT_TRUE(f.s.Players.empty());
    EXPECT_TRUE(f.window.PlayerLines.empty());
    DeletePlayer(f.s, -1);  // the game over of a player not in the roster
    ASSERT_TRUE(SaveRoster(f.s));
    EXPECT_EQ(f.files.Held.at("players.ko"), (std::vector<uint8_t>{0xFF, 0xFF}));
    // The empty roster reads back empty, without a message, whatever the game held before.
    f.s.Players.push_back(PlayerRecord{"x"});
    LoadRoster(f.s);
    EXPECT_TRUE(f.s.Players.empty());
    EXPECT_TRUE(f.window.PlayerLines.empty());
    EXPECT_TRUE(f.window.Messages.empty());
}

TEST(StoreCurrentPlayer, CopiesTheGameIntoTheCurrentPlayerOnly) {
    StorageFixture f;
    f.s.Players = {PlayerRecord{"A", 1, 1, 1}, PlayerRecord{"B", 2, 2, 2}};
    f.s.Iq = 500;
    f.s.BallsLeft = 4;
    f.s.Level = -3;
    StoreCurrentPlayer(f.s);  // no current player: nothing changes
    EXPECT_EQ(f.s.Players[1].Iq, 2);
    f.s.CurrentPlayer = 1;
    StoreCurrentPlayer(f.s);
    EXPECT_EQ(f.s.Players[1], (PlayerRecord{"B", 500, -3, 4}));  // the 16-bit Level widened
    EXPECT_EQ(f.s.Players[0].Iq, 1);
    f.s.CurrentPlayer = 9;  // stale index: ignored
    StoreCurrentPlayer(f.s);
}

// A damaged roster: what is whole is used, the file is kept as players.ko.damaged and the player
// is told, naming the file.
TEST(LoadRoster, ADamagedFileGivesItsWholeRecordsIsKeptAndReported) {
    const std::vector<uint8_t> twoPlayers =
        SerializeRoster({PlayerRecord{"Ann", 5, 1, 2}, PlayerRecord{"Bob"}});
    const struct {
        std::vector<uint8_t> bytes;
        std::vector<std::string> keptNames;
        std::string problem;
    } cases[] = {
        {std::vector<uint8_t>(twoPlayers.begin(), twoPlayers.end() - 3),
         {"Ann"},
         "players.ko: hráč 2/2: soubor končí uprostřed záznamu"},
        {Values16({1, 1, 67, 3, 0, 0, -5, 67}),
         {"A"},
         "players.ko: hráč 2/2: záporná délka jména -5"},
        {Values16({-7, 1, 67}), {}, "players.ko: počet hráčů je -6"},
        // A count and names of 32767 characters the file does not hold.
        {Values16({32766, 32767, 67, 67}),
         {},
         "players.ko: hráč 1/32767: soubor končí uprostřed záznamu"},
        // Name codes beyond the code page, which the next save would turn into '?'.
        {Values16({1, 1, 67, 3, 0, 0, 2, 68, 258, 3, 0, 0}),
         {"A"},
         "players.ko: hráč 2/2: kód 258 ve jméně není znak (znaky mají kódy 2 až 257)"},
        {Values16({0, 2, 67, 1, 3, 0, 0}),
         {},
         "players.ko: hráč 1/1: kód 1 ve jméně není znak (znaky mají kódy 2 až 257)"},
        {{0x00}, {}, "players.ko: soubor končí uprostřed počtu hráčů"},
        {Concat(twoPlayers, Values16({0, 5})),
         {"Ann", "Bob"},
         "players.ko: za posledním hráčem následují další bajty (4)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.problem);
        StorageFixture f;
        f.files.Held["players.ko"] = c.bytes;
        LoadRoster(f.s);
        EXPECT_EQ(Names(f.s.Players), c.keptNames);
        EXPECT_EQ(f.window.PlayerLines, c.keptNames);
        EXPECT_EQ(f.files.Held.at("players.ko.damaged"), c.bytes);
        ASSERT_EQ(f.window.Messages.size(), 1u);
        EXPECT_EQ(f.window.Messages[0].Title, "Zapwall");
        EXPECT_THAT(f.window.Messages[0].Text, HasSubstr("players.ko je poškozený"));
        EXPECT_THAT(f.window.Messages[0].Text, HasSubstr("players.ko.damaged"));
        EXPECT_EQ(ParseRoster(c.bytes).Problem, c.problem);
    }
}

TEST(LoadRoster, ADamagedFileThatCannotBeKeptIsStillReported) {
    StorageFixture f;
    f.files.Held["players.ko"] = Values16({3, 1});
    f.files.FailWrites = true;
    LoadRoster(f.s);
    EXPECT_THAT(testing::OnlyMessage(f.window), HasSubstr("nepodařilo uschovat"));
}

TEST(LoadHallOfFame, ReadsNamesExactlyAndScoresWithTheirSign) {
    StorageFixture f;
    HallTable table = DefaultHallTable();
    table[0] = {"Kůň", 2000};
    table[1] = {"", -5};
    table[9] = {"a b", 1};
    f.files.Held["hall.ko"] = SerializeHall(table, {});
    LoadHallOfFame(f.s);
    EXPECT_EQ(f.s.Hall, table);
    EXPECT_EQ(f.window.HallChanges, 1);
    EXPECT_TRUE(f.window.Messages.empty());
}

// The hall of fame after a game lost with `iq` under `name`, starting from the design table.
struct Entered : StorageFixture {
    Entered(const std::string& name, int32_t iq) {
        s.PlayerName = name;
        s.Iq = iq;
        EnterHallOfFame(s);
    }
};

TEST(EnterHallOfFame, AResultTakesTheRankOfTheFirstEntryNotAboveItAndIsSavedAtOnce) {
    const struct {
        std::string name;
        int32_t iq;
        int rank;  // -1: the table stays as it was and nothing is written
    } cases[] = {
        {"Eva", 850, 2},       {"Eva", 800, 2}, {"Eva", 100, 9},
        {"Eva", 32767, 0},     {"Eva", 99, -1}, {"*QUORN*", 30000, -1},  // the hidden mode
        {"*quorn*", 30000, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name + " " + std::to_string(c.iq));
        const Entered e(c.name, c.iq);
        HallTable expected = DefaultHallTable();
        if (c.rank >= 0) {
            std::shift_right(expected.begin() + c.rank, expected.end(), 1);
            expected[c.rank] = {c.name, c.iq};
            EXPECT_EQ(ParseHall(e.files.Held.at("hall.ko")).Table, expected);
        }
        EXPECT_EQ(e.s.Hall, expected);
        EXPECT_EQ(e.files.WriteCount, c.rank >= 0 ? 1 : 0);
        EXPECT_EQ(e.window.HallChanges, c.rank >= 0 ? 1 : 0);
    }
}

TEST(SaveHallOfFame, ScoresBeyond16BitsAreSaturated) {
    const Entered e("Eva", 100000);
    EXPECT_EQ(e.s.Hall[0].Score, 100000);
    EXPECT_EQ(ToValues16(e.files.Held.at("hall.ko"))[4], 32767);  // after 3, 'E'+2, 'v'+2, 'a'+2
}

TEST(SaveHallOfFame, KeepsTheOldBytesBeyondTheNewEntries) {
    StorageFixture f;
    HallTable table = DefaultHallTable();
    table[0].Name = "ABCDEFGH";
    const std::vector<uint8_t> old = Concat(SerializeHall(table, {}), {0xAA, 0xBB});
    f.files.Held["hall.ko"] = old;
    LoadHallOfFame(f.s);
    EXPECT_EQ(ParseHall(old).TailBytes, 2u);
    f.s.Hall[0].Name = "AB";  // six characters shorter: twelve bytes of the old file show
    ASSERT_TRUE(SaveHallOfFame(f.s));
    const std::vector<uint8_t> entries = SerializeHall(f.s.Hall, {});
    EXPECT_EQ(f.files.Held.at("hall.ko"),
              Concat(entries, std::vector<uint8_t>(old.begin() + entries.size(), old.end())));
}

TEST(LoadHallOfFame, ADamagedFileKeepsItsWholeEntriesAndIsSetAside) {
    struct Case {
        std::vector<uint8_t> bytes;
        size_t wholeEntries;
        std::string problem;
    };
    const std::vector<uint8_t> three = Values16({1, 67, 5000, 1, 68, 4000, 0, 3000});
    const HallEntry threeEntries[] = {{"A", 5000}, {"B", 4000}, {"", 3000}};
    for (const Case& c :
         {Case{Concat(three, Values16({2, 67})), 3,
               "hall.ko: položka 4: soubor končí uprostřed záznamu"},
          Case{Concat(three, Values16({-1, 0})), 3, "hall.ko: položka 4: záporná délka jména -1"},
          Case{Values16({32767, 1, 1}), 0, "hall.ko: položka 1: soubor končí uprostřed záznamu"},
          Case{Values16({1, 67}), 0, "hall.ko: položka 1: soubor končí uprostřed záznamu"},
          Case{Concat(three, Values16({2, 67, -3, 100})), 3,
               "hall.ko: položka 4: kód -3 ve jméně není znak (znaky mají kódy 2 až 257)"}}) {
        StorageFixture f;
        f.files.Held["hall.ko"] = c.bytes;
        LoadHallOfFame(f.s);
        EXPECT_EQ(ParseHall(c.bytes).Problem, c.problem);
        HallTable expected = DefaultHallTable();
        std::copy_n(threeEntries, c.wholeEntries, expected.begin());
        EXPECT_EQ(f.s.Hall, expected);
        EXPECT_EQ(f.files.Held.at("hall.ko.damaged"), c.bytes);
        EXPECT_THAT(OnlyMessage(f.window), HasSubstr("hall.ko je poškozený"));
    }
}

TEST(TickFile, MissingGivesTheDefaultAndASavedValueReadsBack) {
    StorageFixture f;
    EXPECT_EQ(LoadTick(f.s), 8000);
    ASSERT_TRUE(SaveTick(f.s, 1));
    EXPECT_EQ(f.files.Held.at("tick.ko"), (std::vector<uint8_t>{' ', '1', ' ', '\r', '\n'}));
    EXPECT_EQ(LoadTick(f.s), 1);
}

// On a disk: what cannot be read or kept, the copies kept, and saves that fail.

TEST(TickFile, ADamagedOrUnreadableOneIsReportedOnceKeptAsideAndAgreesWithTheCheck) {
    const struct {
        std::string Name, Bytes, Said;
        int16_t Used;
    } cases[] = {
        {"empty", "",
         "Soubor tick.ko je poškozený (první řádek nezačíná číslem, hra použije "
         "8000). Původní soubor je uschován jako tick.ko.damaged.",
         8000},
        {"junk", "fast\r\n", "první řádek nezačíná číslem, hra použije 8000", 8000},
        {"too high", " 20000 \r\n", "20000 je mimo rozsah 1 až 10000, hra použije 10000", 10000},
        {"too large", std::string(kMaxKeptFileBytes + 1, '1'), "soubor je příliš velký", 8000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        DiskFixture f;
        testing::WriteText(f.folder / "tick.ko", c.Bytes);
        EXPECT_EQ(LoadTick(f.s), c.Used);
        EXPECT_THAT(OnlyMessage(f.window), HasSubstr(c.Said));
        EXPECT_EQ(fs::file_size(f.folder / "tick.ko.damaged"), c.Bytes.size());
        EXPECT_EQ(CheckSavedFiles(f.folder.Path()).size(), 1u);
    }
    // A symbolic link loop says so once, not "cannot be read (cannot be read (error 40))".
    DiskFixture f;
    fs::create_symlink("tick.ko", f.folder / "tick.ko");
    EXPECT_EQ(LoadTick(f.s), kDefaultTick);
    EXPECT_THAT(OnlyMessage(f.window), StartsWith("Soubor tick.ko nelze přečíst (symbolické odkazy "
                                                  "tvoří smyčku), hra z něj nic nepoužila."));
}

TEST(LoadRoster, AFileTooLargeToReadIsSetAsideNotOverwrittenSilently) {
    DiskFixture f;
    WriteBytes(f.folder / "players.ko", std::vector<uint8_t>(kMaxKeptFileBytes + 1, 0));
    LoadRoster(f.s);
    EXPECT_TRUE(f.s.Players.empty());
    EXPECT_EQ(std::filesystem::file_size(f.folder / "players.ko.damaged"), kMaxKeptFileBytes + 1);
    // The real reason, with the limit; nothing was read, so no "undamaged part" was used.
    EXPECT_EQ(OnlyMessage(f.window),
              "Soubor players.ko nelze přečíst (soubor je příliš velký: 16777217 bajtů, nejvýše "
              "16 MiB), hra z něj nic nepoužila. Původní soubor je uschován jako "
              "players.ko.damaged.");
}

TEST(ReportUnreadableFile, SaysNothingWasReadAndThatTheCopyFailedForWantOfReading) {
    // Another user's tick.ko of mode 000 in a folder open to all: the check runs as nobody when
    // the tests run as root, who reads anything.
    DiskFixture f;
    fs::permissions(f.folder.Path(), fs::perms::all);
    testing::WriteText(f.folder / "tick.ko", "8000\r\n");
    fs::permissions(f.folder / "tick.ko", fs::perms::none);
    EXPECT_EXIT(
        {
            if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(2);
            LoadTick(f.s);
            std::fputs(OnlyMessage(f.window).c_str(), stderr);
            ::_exit(0);
        },
        ::testing::ExitedWithCode(0),
        ::testing::StrEq(
            "Soubor tick.ko nelze přečíst (chybí oprávnění soubor číst), hra z něj nic "
            "nepoužila. Původní soubor se nepodařilo uschovat (chybí oprávnění soubor "
            "číst) a při příštím uložení bude nahrazen."));
}

TEST(KeptCopies, AreNumberedAndNeverReplaced) {
    DiskFixture f;
    WriteBytes(f.folder / "players.ko.damaged", {1});
    WriteBytes(f.folder / "players.ko.damaged.1", {2});
    WriteBytes(f.folder / "players.ko", Values16({5}));  // a count the file does not hold
    EXPECT_FALSE(f.files.Copy("players.ko", "players.ko.damaged"));
    LoadRoster(f.s);
    EXPECT_THAT(OnlyMessage(f.window), HasSubstr("uschován jako players.ko.damaged.2."));
    // The second damage of a run keeps its own copy too.
    WriteBytes(f.folder / "players.ko", Values16({7}));
    LoadRoster(f.s);
    EXPECT_EQ(ReadBytes(f.folder / "players.ko.damaged"), std::vector<uint8_t>{1});
    EXPECT_EQ(ReadBytes(f.folder / "players.ko.damaged.1"), std::vector<uint8_t>{2});
    EXPECT_EQ(ReadBytes(f.folder / "players.ko.damaged.2"), Values16({5}));
    EXPECT_EQ(ReadBytes(f.folder / "players.ko.damaged.3"), Values16({7}));
}

TEST(ReportFailedSave, TellsEachFileOnceWhereAndWhy) {
    DiskFixture f;
    WriteBytes(f.folder / "players.ko", Values16({-1}));
    f.files.Fault = [](ReplaceStep step) { return step == ReplaceStep::Write; };
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(SaveRoster(f.s));  // every save still fails
    EXPECT_FALSE(SaveTick(f.s, 250));
    EXPECT_FALSE(SaveHallOfFame(f.s));
    ASSERT_EQ(f.window.Messages.size(), 3u);
    for (const auto& message : f.window.Messages) EXPECT_EQ(message.Title, "Zapwall");
    EXPECT_EQ(f.window.Messages[0].Text, "Soubor " + (f.folder / "players.ko") +
                                             " se nepodařilo uložit: chyba disku. Jeho "
                                             "dosavadní obsah zůstal beze změny.");
    EXPECT_EQ(f.window.Messages[1].Text, "Soubor " + (f.folder / "tick.ko") +
                                             " se nepodařilo uložit: chyba disku. Soubor zatím "
                                             "neexistuje a nebyl vytvořen.");
    EXPECT_THAT(f.window.Messages[2].Text, HasSubstr(f.folder / "hall.ko"));
}

}  // namespace
}  // namespace ZapModule
