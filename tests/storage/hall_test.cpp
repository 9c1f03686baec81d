// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/hall.h"

#include <gtest/gtest.h>

#include "game/kept_files.h"
#include "storage_test_support.h"

namespace ZapModule {
namespace {

using testing::Concat;
using testing::StorageFixture;
using testing::ToValues16;
using testing::Values16;

std::vector<int32_t> Scores(const HallTable& table) {
    std::vector<int32_t> scores;
    for (const auto& e : table) scores.push_back(e.Score);
    return scores;
}

// The hall of fame after a game lost with `iq` under `name`, starting from the design table.
struct Entered : StorageFixture {
    Entered(const std::string& name, int32_t iq) {
        s.PlayerName = name;
        s.Iq = iq;
        EnterHallOfFame(s);
    }
};

TEST(HallFormat, TheDesignTableIsTenEmptyNamesWithTheirScores) {
    EXPECT_EQ(ToValues16(SerializeHall(DefaultHallTable(), {})),
              (std::vector<int16_t>{0, 1000, 0, 900, 0, 800, 0, 700, 0, 600,
                                    0, 500,  0, 400, 0, 300, 0, 200, 0, 100}));
}

TEST(LoadHallOfFame, ReadsNamesExactlyAndScoresWithTheirSign) {
    StorageFixture f;
    HallTable table = DefaultHallTable();
    table[0] = {"Kůň", 2000};
    table[1] = {"", -5};
    table[9] = {"a b", 1};
    f.files.Held["hall.ko"] = SerializeHall(table, {});
    LoadHallOfFame(f.s);
    EXPECT_EQ(f.s.Hall[0].Name, "Kůň");
    EXPECT_EQ(f.s.Hall[0].Score, 2000);
    EXPECT_EQ(f.s.Hall[1].Name, "");
    EXPECT_EQ(f.s.Hall[1].Score, -5);
    EXPECT_EQ(f.s.Hall[9].Name, "a b");
    EXPECT_EQ(f.window.HallChanges, 1);
    EXPECT_TRUE(f.window.Messages.empty());
}

TEST(LoadHallOfFame, AMissingOrEmptyFileGivesTheDesignTableWithoutMessage) {
    for (bool present : {false, true}) {
        StorageFixture f;
        if (present) f.files.Held["hall.ko"] = {};
        f.s.Hall[3].Name = "stale";
        LoadHallOfFame(f.s);
        EXPECT_EQ(Scores(f.s.Hall), Scores(DefaultHallTable()));
        EXPECT_EQ(f.s.Hall[3].Name, "");
        EXPECT_TRUE(f.window.Messages.empty());
        EXPECT_EQ(f.files.WriteCount, 0);
    }
}

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
    const HallTable design = DefaultHallTable();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name + " " + std::to_string(c.iq));
        const Entered e(c.name, c.iq);
        if (c.rank < 0) {
            EXPECT_EQ(Scores(e.s.Hall), Scores(design));
            EXPECT_EQ(e.files.WriteCount, 0);
            EXPECT_EQ(e.window.HallChanges, 0);
            continue;
        }
        const auto rank = static_cast<size_t>(c.rank);
        for (size_t i = 0; i < design.size(); ++i) {
            const HallEntry expected = i < rank    ? design[i]
                                       : i == rank ? HallEntry{c.name, c.iq}
                                                   : design[i - 1];
            EXPECT_EQ(e.s.Hall[i].Name, expected.Name) << i;
            EXPECT_EQ(e.s.Hall[i].Score, expected.Score) << i;
        }
        EXPECT_EQ(e.window.HallChanges, 1);
        EXPECT_EQ(ParseHall(e.files.Held.at("hall.ko")).Table[rank].Name, c.name);
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
    const std::vector<uint8_t>& saved = f.files.Held.at("hall.ko");
    ASSERT_EQ(saved.size(), old.size());
    const std::vector<uint8_t> entries = SerializeHall(f.s.Hall, {});
    EXPECT_TRUE(std::equal(entries.begin(), entries.end(), saved.begin()));
    EXPECT_TRUE(
        std::equal(saved.begin() + entries.size(), saved.end(), old.begin() + entries.size()));
}

TEST(LoadHallOfFame, ADamagedFileKeepsItsWholeEntriesAndIsSetAside) {
    struct Case {
        std::vector<uint8_t> bytes;
        size_t wholeEntries;
        std::string problem;
    };
    const std::vector<uint8_t> three = Values16({1, 67, 5000, 1, 68, 4000, 0, 3000});
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
        const std::vector<int32_t> scores = Scores(f.s.Hall);
        for (size_t i = 0; i < 10; ++i) {
            EXPECT_EQ(scores[i], i < c.wholeEntries ? 5000 - 1000 * static_cast<int>(i)
                                                    : DefaultHallTable()[i].Score);
        }
        EXPECT_EQ(f.files.Held.at("hall.ko.damaged"), c.bytes);
        ASSERT_EQ(f.window.Messages.size(), 1u);
        EXPECT_NE(f.window.Messages[0].Text.find("hall.ko je poškozený"), std::string::npos);
    }
}

}  // namespace
}  // namespace ZapModule
