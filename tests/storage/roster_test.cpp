// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/roster.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "game/kept_files.h"
#include "storage_test_support.h"

namespace ZapModule {
namespace {

using testing::Concat;
using ::testing::HasSubstr;
using testing::StorageFixture;
using testing::ToValues16;
using testing::Values16;

PlayerRecord Player(const std::string& name, int32_t iq = 0, int32_t level = 0, int16_t balls = 3) {
    PlayerRecord p;
    p.Name = name;
    p.Iq = iq;
    p.Level = level;
    p.SpareBalls = balls;
    return p;
}

std::vector<std::string> Names(const std::vector<PlayerRecord>& players) {
    std::vector<std::string> names;
    names.reserve(players.size());
    for (const auto& p : players) names.push_back(p.Name);
    return names;
}

TEST(RosterFormat, AnEmptyRosterIsFFFFAndReadsBackEmpty) {
    StorageFixture f;
    ASSERT_TRUE(SaveRoster(f.s));
    EXPECT_EQ(f.files.Held.at("players.ko"), (std::vector<uint8_t>{0xFF, 0xFF}));
    f.s.Players.push_back(Player("x"));
    LoadRoster(f.s);
    EXPECT_TRUE(f.s.Players.empty());
    EXPECT_TRUE(f.window.PlayerLines.empty());
    EXPECT_TRUE(f.window.Messages.empty());
}

TEST(RosterFormat, StoresEachFieldAsA16BitValueWithCodesPlusTwo) {
    EXPECT_EQ(ToValues16(SerializeRoster({Player("ABC", 120, 2, 3)})),
              (std::vector<int16_t>{0, 3, 67, 68, 69, 3, 120, 2}));
    // č is 232 in the code page; a character outside it is stored as '?' (63 + 2).
    EXPECT_EQ(ToValues16(SerializeRoster({Player("č日", 0, 0, 1)})),
              (std::vector<int16_t>{0, 2, 234, 65, 1, 0, 0}));
}

TEST(RosterFormat, ScoresAndLevelsBeyond16BitsAreSaturatedNotWrapped) {
    EXPECT_EQ(ToValues16(SerializeRoster({Player("", 40000, -70000, 0)})),
              (std::vector<int16_t>{0, 0, 0, 32767, -32768}));
    EXPECT_EQ(ToValues16(SerializeRoster({Player("", -32768, 32767, -1)})),
              (std::vector<int16_t>{0, 0, -1, -32768, 32767}));
}

TEST(LoadRoster, FillsPlayersAndTheListInFileOrder) {
    StorageFixture f;
    f.files.Held["players.ko"] = SerializeRoster({Player("Ann"), Player("Bob"), Player("Čeněk")});
    LoadRoster(f.s);
    EXPECT_EQ(Names(f.s.Players), (std::vector<std::string>{"Ann", "Bob", "Čeněk"}));
    EXPECT_EQ(f.window.PlayerLines, (std::vector<std::string>{"Ann", "Bob", "Čeněk"}));
}

TEST(LoadRoster, AMissingOrEmptyFileIsAnEmptyRosterWithoutMessage) {
    for (bool present : {false, true}) {
        StorageFixture f;
        if (present) f.files.Held["players.ko"] = {};
        LoadRoster(f.s);
        EXPECT_TRUE(f.s.Players.empty());
        EXPECT_TRUE(f.window.Messages.empty());
        EXPECT_EQ(f.files.Held.count("players.ko.damaged"), 0u);
    }
}

TEST(DeletePlayer, KeepsTheOrderOfRosterAndListAndClearsTheCurrentPlayer) {
    StorageFixture f;
    f.files.Held["players.ko"] =
        SerializeRoster({Player("A"), Player("B"), Player("C"), Player("D")});
    LoadRoster(f.s);
    f.s.CurrentPlayer = 2;
    DeletePlayer(f.s, 1);
    EXPECT_EQ(Names(f.s.Players), (std::vector<std::string>{"A", "C", "D"}));
    EXPECT_EQ(f.window.PlayerLines, (std::vector<std::string>{"A", "C", "D"}));
    EXPECT_EQ(f.s.CurrentPlayer, -1);
    // The only player: the roster becomes empty and is saved as such.
    DeletePlayer(f.s, 0);
    DeletePlayer(f.s, 0);
    DeletePlayer(f.s, 0);
    EXPECT_TRUE(f.s.Players.empty());
    EXPECT_TRUE(f.window.PlayerLines.empty());
    DeletePlayer(f.s, -1);  // the game over of a player not in the roster
    ASSERT_TRUE(SaveRoster(f.s));
    EXPECT_EQ(f.files.Held.at("players.ko"), (std::vector<uint8_t>{0xFF, 0xFF}));
}

TEST(StoreCurrentPlayer, CopiesTheGameIntoTheCurrentPlayerOnly) {
    StorageFixture f;
    f.s.Players = {Player("A", 1, 1, 1), Player("B", 2, 2, 2)};
    f.s.Iq = 500;
    f.s.BallsLeft = 4;
    f.s.Level = -3;
    StoreCurrentPlayer(f.s);  // no current player: nothing changes
    EXPECT_EQ(f.s.Players[1].Iq, 2);
    f.s.CurrentPlayer = 1;
    StoreCurrentPlayer(f.s);
    EXPECT_EQ(f.s.Players[1].Iq, 500);
    EXPECT_EQ(f.s.Players[1].SpareBalls, 4);
    EXPECT_EQ(f.s.Players[1].Level, -3);  // the 16-bit Level widened
    EXPECT_EQ(f.s.Players[0].Iq, 1);
    f.s.CurrentPlayer = 9;  // stale index: ignored
    StoreCurrentPlayer(f.s);
}

// A damaged roster: what is whole is used, the file is kept as players.ko.damaged and the player
// is told, naming the file.
TEST(LoadRoster, ADamagedFileGivesItsWholeRecordsIsKeptAndReported) {
    const std::vector<uint8_t> twoPlayers =
        SerializeRoster({Player("Ann", 5, 1, 2), Player("Bob")});
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

TEST(RosterFormat, TheCodes2And257AreTheCodePagesEnds) {
    const RosterRead read = ParseRoster(Values16({0, 3, 2 + 'A', 257, 2, 0, 0, 0}));
    ASSERT_EQ(read.Players.size(), 1u);
    EXPECT_EQ(read.Problem, "");
    EXPECT_EQ(read.Players[0].Name, std::string("A\u02D9") + '\0');  // 0xFF is the dot above
}

}  // namespace
}  // namespace ZapModule
