// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/level_file.h"

#include <gtest/gtest.h>

#include "storage_test_support.h"

namespace ZapModule {
namespace {

using testing::Concat;
using testing::Values16;

// A level of `count` bricks whose X values are first, first + 1, ... so that tests can tell
// levels and bricks apart.
std::vector<uint8_t> Level(int first, int count) {
    std::vector<uint8_t> bytes = Values16({count});
    for (int i = 0; i < count; ++i) bytes = Concat(bytes, Values16({first + i, 0, 10, 1, 0, 0}));
    return bytes;
}

// Three levels of one, two and three bricks, told apart by X 100, 200 and 300.
std::vector<uint8_t> ThreeLevels() {
    return Concat(Concat(Concat(Values16({3}), Level(100, 1)), Level(200, 2)), Level(300, 3));
}

TEST(CheckLevelFile, AcceptsAGoodFileWithBytesAfterItsLastLevel) {
    EXPECT_TRUE(CheckLevelFile(ThreeLevels()).empty());
    EXPECT_TRUE(CheckLevelFile(Concat(ThreeLevels(), {1, 2, 3})).empty());
}

TEST(CheckLevelFile, NamesWhatMakesTheFileUnusable) {
    using Problems = std::vector<std::string>;
    EXPECT_EQ(CheckLevelFile({}), Problems{"levels.ko: soubor je prázdný"});
    EXPECT_EQ(CheckLevelFile({1}), Problems{"levels.ko: soubor končí uprostřed počtu úrovní"});
    EXPECT_EQ(CheckLevelFile(Values16({0})),
              Problems{"levels.ko: počet úrovní je 0, musí být aspoň 1"});
    EXPECT_EQ(CheckLevelFile(Values16({-2})),
              Problems{"levels.ko: počet úrovní je -2, musí být aspoň 1"});
    EXPECT_EQ(CheckLevelFile(Concat(Values16({3}), Level(100, 1))),
              Problems{"levels.ko: počet úrovní je 3, soubor jich obsahuje jen 1"});

    // Level 3 claims 40 bricks; 12 are there and half of the 13th.
    std::vector<uint8_t> cut = Concat(Concat(Values16({3}), Level(1, 1)), Level(2, 1));
    cut = Concat(cut, Level(3, 40));
    cut.resize(cut.size() - 27 * 12 - 6);
    EXPECT_EQ(CheckLevelFile(cut),
              Problems{"levels.ko: úroveň 3 má mít 40 cihel, v souboru je jich jen 12"});

    // Levels without bricks are all listed; the file goes on after them.
    const auto empty =
        Concat(Concat(Concat(Values16({3}), Values16({0})), Level(1, 1)), Values16({-4}));
    EXPECT_EQ(CheckLevelFile(empty),
              (Problems{"levels.ko: úroveň 1 má počet cihel 0, musí být aspoň 1",
                        "levels.ko: úroveň 3 má počet cihel -4, musí být aspoň 1"}));
}

TEST(CheckLevelFile, ListsOnlyTheFirstProblemsOfAFileDamagedThroughout) {
    std::vector<uint8_t> bytes = Values16({32767});
    bytes.resize(2 + 2 * 32767, 0);  // every level without bricks
    const auto problems = CheckLevelFile(bytes);
    ASSERT_EQ(problems.size(), 11u);
    EXPECT_EQ(problems.back(), "levels.ko: další chyby se neuvádějí");
}

TEST(LoadLevel, ReadsBricksWithPictureBeforeTypeAndSizesTheirRectangles) {
    GameState s;
    s.Bricks.resize(5);
    OpenLevelFile(
        s, Concat(Values16({1, 2, 480, 450, 25, 4, 2, 7}), Values16({32760, -10, 1, 2, 3, 4})));
    EXPECT_EQ(s.LevelCount, 1);
    LoadLevel(s);
    ASSERT_EQ(s.BrickCount(), 2);
    ASSERT_EQ(s.BrickRects.size(), 2u);
    // The fourth value is the picture, the fifth the type; a loaded brick is not hit or flashing.
    EXPECT_EQ(s.Bricks[0],
              (BrickRecord{.X = 480, .Y = 450, .Points = 25, .Type = 2, .Picture = 4, .Bonus = 7}));
    EXPECT_EQ(s.BrickRects[0], (Rect{480, 450, 500, 475}));
    // The right edge is a 16-bit sum: 32760 + 20 wraps before it is widened.
    EXPECT_EQ(s.BrickRects[1], (Rect{32760, -10, -32756, 15}));
}

int FirstX(const GameState& s) {
    return s.Bricks.empty() ? -1 : s.Bricks[0].X;
}

TEST(SkipToLevel, LandsOnTheLevelModuloTheCountAfterReopeningAndNeverBeforeTheFirst) {
    struct Case {
        int16_t level;
        int expectedFirstX;
    };
    // Level 4 of three: blocks 0, 1, 2 skipped, reopened, block 0 skipped: block 1.
    // Level 3, an exact multiple: reopened after the third, block 0. A negative one skips nothing.
    for (const Case c : {Case{-5, 100}, Case{0, 100}, Case{1, 200}, Case{2, 300}, Case{3, 100},
                         Case{4, 200}, Case{8, 300}, Case{9, 100}}) {
        GameState s;
        OpenLevelFile(s, ThreeLevels());
        s.Level = c.level;
        SkipToLevel(s);
        LoadLevel(s);
        EXPECT_EQ(FirstX(s), c.expectedFirstX) << "level " << c.level;
    }
}

TEST(ReopenLevelFile, AFileOfOneLevelReplaysIt) {
    GameState s;
    OpenLevelFile(s, Concat(Values16({1}), Level(100, 2)));
    for (int round = 0; round < 3; ++round) {
        ReopenLevelFile(s);
        LoadLevel(s);
        EXPECT_EQ(s.BrickCount(), 2);
        EXPECT_EQ(FirstX(s), 100);
    }
}

TEST(LevelFile, UncheckedBytesNeverReadPastTheEndOrDivideByZero) {
    GameState s;
    // A level claiming 40 bricks with one present: the rest read as zeros.
    OpenLevelFile(s, Values16({0, 40, 5, 6, 7, 8, 9, 10}));
    s.Level = 1000;
    SkipToLevel(s);  // LevelCount 0: no reopening, no division
    EXPECT_LE(s.Levels.Position, s.Levels.Bytes.size());
    ReopenLevelFile(s);
    LoadLevel(s);
    ASSERT_EQ(s.BrickCount(), 40);
    EXPECT_EQ(s.Bricks[0].X, 5);
    EXPECT_EQ(s.Bricks[39].X, 0);
    EXPECT_EQ(s.Levels.Position, s.Levels.Bytes.size());
    LoadLevel(s);  // nothing left at all: an empty level
    EXPECT_EQ(s.BrickCount(), 0);
}

}  // namespace
}  // namespace ZapModule
