// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/level_text.h"

#include <gtest/gtest.h>

#include <random>
#include <utility>

#include "storage/byte_io.h"
#include "storage/level_file.h"
#include "storage_test_support.h"
#include "values/data_limits.h"

namespace ZapModule {
namespace {

using testing::Concat;
using testing::ToValues16;
using testing::Values16;

std::vector<std::string> ErrorLines(const CompiledLevels& compiled) {
    std::vector<std::string> lines;
    for (const auto& e : compiled.Errors) lines.push_back(FormatLevelTextError("levels.txt", e));
    return lines;
}

TEST(CompileLevelText, BuildsTheLevelFileInTheOrderOfTheText) {
    // The example of the format, with its comments at the ends of lines.
    const CompiledLevels compiled = CompileLevelText(R"(# A comment
key a points=10 picture=0 type=0 bonus=0
key D points=25 picture=3 type=1 bonus=4
key S points=50 picture=6 type=2 bonus=0

level First steps          # starts a level block; the rest of the line is a free title
grid                       # a picture of the 25 x 19 grid of 20 x 25 cells
.........................  # row r is y = 25*r, column c is x = 20*c; '.' is an empty cell
...aaaaD.................  # rows may be shorter than 25 (the rest is empty); at most 19 rows
end
brick 7 30 5 0 0 0         # an explicit brick anywhere: X Y Points Picture Type Bonus
)");
    ASSERT_TRUE(compiled.Errors.empty()) << ErrorLines(compiled)[0];
    EXPECT_EQ(ToValues16(compiled.Bytes), (std::vector<int16_t>{1,   6,                //
                                                                60,  25, 10, 0, 0, 0,  //
                                                                80,  25, 10, 0, 0, 0,  //
                                                                100, 25, 10, 0, 0, 0,  //
                                                                120, 25, 10, 0, 0, 0,  //
                                                                140, 25, 25, 3, 1, 4,  //
                                                                7,   30, 5,  0, 0, 0}));
}

TEST(CompileLevelText, KeysApplyBelowTheirLineAndMayBeRedefined) {
    const CompiledLevels compiled = CompileLevelText(
        "key a points=1 picture=1 type=0 bonus=0\r\n"
        "level 1\r\ngrid\r\na\r\nend\r\n"
        "key a points=-2 picture=2 type=2 bonus=-32768\r\n"
        "level 2\r\ngrid\r\n\r\n# skipped: blank lines and comments are not rows\r\n.a\r\nend\r\n"
        "trailing 0a FF\r\n");
    ASSERT_TRUE(compiled.Errors.empty()) << ErrorLines(compiled)[0];
    EXPECT_EQ(compiled.Bytes,
              Concat(Values16({2, 1, 0, 0, 1, 1, 0, 0, 1, 20, 0, -2, 2, 2, -32768}), {0x0A, 0xFF}));
}

TEST(CompileLevelText, GivesEachLevelItsTitleWithoutCommentOrEdgeBlanks) {
    const CompiledLevels compiled = CompileLevelText(
        "level First steps   # a comment\n"
        "brick 0 0 1 0 0 0\n"
        "level\n"  // no title
        "brick 0 0 1 0 0 0\n"
        "  level \t Příliv  \"#1\"\ta#b \\ {x}\t \r\n"  // a word starting with '#' only in quotes
        "brick 0 0 1 0 0 0\n"
        "level # only a comment\n"
        "brick 0 0 1 0 0 0\n");
    ASSERT_TRUE(compiled.Errors.empty()) << ErrorLines(compiled)[0];
    EXPECT_EQ(compiled.Titles,
              (std::vector<std::string>{"First steps", "", "Příliv  \"#1\"\ta#b \\ {x}", ""}));
}

TEST(CompileLevelText, RejectsBadTextNamingTheLine) {
    const std::string keyA = "key a points=1 picture=0 type=0 bonus=0\n";
    std::string tallGrid = keyA + "level\ngrid\n";
    for (int row = 0; row < 20; ++row) tallGrid += "a\n";
    tallGrid += "end\n";
    for (const auto& [text, error] : std::vector<std::pair<std::string, std::string>>{
             {keyA + "level\ngrid\n..a.z\nend\n", "levels.txt:4: neznámý klíč 'z'"},
             {keyA + "level\ngrid\n" + std::string(26, 'a') + "\nend\n",
              "levels.txt:4: řádek mřížky je delší než 25"},
             {tallGrid, "levels.txt:23: mřížka má víc než 19 řádků"},
             {"level\nbrick 0 40000 0 0 0 0\n",
              "levels.txt:2: hodnota 40000 je mimo rozsah -32768 až 32767"},
             {"level\nbrick 0 1x 0 0 0 0\n", "levels.txt:2: '1x' není číslo"},
             {"level\nbrick 0 0 0 0 0\n",
              "levels.txt:2: brick potřebuje X Y Points Picture Type Bonus"},
             {"level one\nlevel two\nbrick 0 0 0 0 0 0\n", "levels.txt:1: úroveň bez cihel"},
             {"# nothing\n", "levels.txt: žádná úroveň"},
             {"level\nbrik 0 0 0 0 0 0\n", "levels.txt:2: nelze přečíst 'brik 0 0 0 0 0 0'"},
             {keyA + "level\ngrid\na\n", "levels.txt:3: mřížka bez konce (chybí end)"},
             {"brick 0 0 0 0 0 0\n", "levels.txt:1: brick před první úrovní"},
             {"key a points=1 type=0 picture=0 bonus=0\n",
              "levels.txt:1: key potřebuje points=, picture=, type= a bonus=, v tomto pořadí"},
             {"level\nbrick 0 0 0 0 0 0\ntrailing 01\nlevel\n",
              "levels.txt:4: level po řádcích trailing"},
             {keyA + "level\ngrid\na\nend now\n", "levels.txt:5: nečekané 'now'"},
             // A control character quoted from the text never reaches a terminal as it is.
             {"level\nbrick 0 0 0 0 0 0 \x1b[2J\a\n", "levels.txt:2: nečekané '\\x1B[2J\\x07'"},
         }) {
        const CompiledLevels compiled = CompileLevelText(text);
        ASSERT_FALSE(compiled.Errors.empty()) << error;
        EXPECT_EQ(ErrorLines(compiled)[0], error);
        EXPECT_TRUE(compiled.Bytes.empty());
    }
}

TEST(CompileLevelText, ListsOnlyTheFirstErrorsOfTextItCannotRead) {
    std::string junk;
    for (int i = 0; i < 1000; ++i) junk += "\x01\x02\xFF junk\n";
    const CompiledLevels compiled = CompileLevelText(junk);
    ASSERT_EQ(compiled.Errors.size(), 21u);
    EXPECT_EQ(ErrorLines(compiled).back(), "levels.txt: další chyby se neuvádějí");
}

// Decompiles and compiles again; the bytes must be the same.
void ExpectRoundTrip(const std::vector<uint8_t>& bytes) {
    ASSERT_TRUE(CheckLevelFile(bytes).empty());
    const std::string text = DecompileLevels(bytes);
    const CompiledLevels compiled = CompileLevelText(text);
    ASSERT_TRUE(compiled.Errors.empty()) << ErrorLines(compiled)[0] << "\n" << text;
    ASSERT_EQ(compiled.Bytes, bytes) << text;
}

TEST(DecompileLevels, DrawsBricksInReadingOrderAsAGrid) {
    const auto bytes =
        Values16({1, 3, 0, 0, 10, 1, 0, 0, 20, 0, 10, 1, 0, 0, 480, 450, 5, 2, 1, 3});
    const std::string text = DecompileLevels(bytes);
    EXPECT_NE(text.find("key a points=10 picture=1 type=0 bonus=0\n"), std::string::npos) << text;
    EXPECT_NE(text.find("grid\naa.......................\n"), std::string::npos) << text;
    EXPECT_NE(text.find("........................b\nend\n"), std::string::npos) << text;
    ExpectRoundTrip(bytes);
}

TEST(DecompileLevels, NumbersTheLevelsUnlessGivenTitlesWhichCompileBackUnchanged) {
    const auto bytes = Values16({3, 1, 0, 0, 1, 0, 0, 0, 1, 0, 0, 2, 0, 0, 0, 1, 0, 0, 3, 0, 0, 0});
    const std::string numbered = DecompileLevels(bytes);
    EXPECT_EQ(numbered,
              "# 3 levels, decompiled by zapwall-data\n\n"
              "level 1\nbrick 0 0 1 0 0 0\n\nlevel 2\nbrick 0 0 2 0 0 0\n\n"
              "level 3\nbrick 0 0 3 0 0 0\n");
    EXPECT_EQ(CompileLevelText(numbered).Titles, (std::vector<std::string>{"1", "2", "3"}));

    // An empty title gives the number, as do levels beyond the titles.
    const std::vector<std::string> titles = {"Příliv  \"#1\"\ta#b \\ {x}", ""};
    const std::string titled = DecompileLevels(bytes, titles);
    EXPECT_NE(titled.find("\nlevel Příliv  \"#1\"\ta#b \\ {x}\n"), std::string::npos) << titled;
    const CompiledLevels compiled = CompileLevelText(titled);
    ASSERT_TRUE(compiled.Errors.empty()) << ErrorLines(compiled)[0];
    EXPECT_EQ(compiled.Bytes, bytes);
    EXPECT_EQ(compiled.Titles, (std::vector<std::string>{titles[0], "2", "3"}));
}

// Random valid level files of every shape: few kinds or more than there are keys, bricks on and
// off the grid, in reading order or not, with and without bytes after the last level.
TEST(DecompileLevels, AnyValidFileCompilesBackToTheSameBytes) {
    std::mt19937 random(20240601);
    auto pick = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    for (int file = 0; file < 300; ++file) {
        const int levelCount = pick(1, 6);
        const int kindPool = pick(0, 1) ? pick(1, 5) : pick(50, 400);
        std::vector<uint8_t> bytes = Values16({levelCount});
        for (int level = 0; level < levelCount; ++level) {
            const int bricks = pick(1, pick(0, 3) ? 40 : 475);
            bytes = Concat(bytes, Values16({bricks}));
            const bool ordered = pick(0, 2) != 0;
            int cell = pick(0, 10);
            for (int b = 0; b < bricks; ++b) {
                int x, y;
                if (pick(0, 9) == 0) {
                    x = pick(-32768, 32767);
                    y = pick(-32768, 32767);
                } else {
                    cell = ordered ? cell + pick(1, 3) : pick(0, 474);
                    x = 20 * ((cell % 475) % 25);
                    y = 25 * ((cell % 475) / 25);
                }
                const int kind = pick(0, kindPool - 1);
                bytes = Concat(bytes, Values16({x, y, kind * 10 - 500, kind % 13, kind % 3,
                                                kind % 4 == 0 ? 0 : kind % 12}));
            }
        }
        for (int extra = pick(0, 1) ? 0 : pick(1, 70); extra > 0; --extra) {
            bytes.push_back(static_cast<uint8_t>(pick(0, 255)));
        }
        SCOPED_TRACE("file " + std::to_string(file));
        ExpectRoundTrip(bytes);
        if (HasFatalFailure()) return;
    }
}

// The text and the level file agree on their limits: the largest files the game reads (bricks
// off the grid with the widest values, or a level and trailing bytes) decompile within the text
// limit and compile back, and a text giving more than the game reads is refused.
TEST(LevelTextLimits, EveryLevelFileTheGameReadsDecompilesWithinTheTextLimitAndBack) {
    std::vector<uint8_t> offGrid = Values16({42});
    for (int level = 0; level < 42; ++level) {
        Append16(offGrid, 32767);
        for (int brick = 0; brick < 32767; ++brick)
            for (int value : {-32768, -32767 + brick, -32768, -32768, -32768, -32768})
                Append16(offGrid, static_cast<int16_t>(value));
    }
    std::vector<uint8_t> trailing = Values16({1, 1, 0, 0, 5, 0, 0, 0});
    trailing.resize(kMaxLevelFileBytes, 0xab);
    for (const std::vector<uint8_t>* bytes : {&offGrid, &trailing}) {
        ASSERT_LE(bytes->size(), kMaxLevelFileBytes);
        ASSERT_TRUE(CheckLevelFile(*bytes).empty());
        const std::string text = DecompileLevels(*bytes);
        EXPECT_LE(text.size(), kMaxLevelTextBytes);
        EXPECT_EQ(CompileLevelText(text).Bytes, *bytes);
        if (bytes == &trailing) {
            EXPECT_EQ(ErrorLines(CompileLevelText(text + "trailing 00\n")),
                      std::vector<std::string>{
                          "levels.txt: sada by byla větší než 16 MiB, víc hra nepřečte"});
        }
    }
}

// A set file gives the game a levels.ko as it is and a text compiled; what it cannot give is
// named with the file.
TEST(ReadLevelSetFile, ReadsALevelFileAsItIsAndCompilesText) {
    testing::TempFolder folder;
    testing::WriteBytes(folder / "set.ko", {1, 2, 3});
    testing::WriteText(folder / "set.txt", "level\nbrick 0 0 5 0 0 0\n");
    testing::WriteText(folder / "bad.txt", "level\nbrick 0 0 5 0 0\n");
    std::string problem;
    EXPECT_EQ(ReadLevelSetFile(folder / "set.ko", &problem), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(ReadLevelSetFile(folder / "set.txt", &problem), Values16({1, 1, 0, 0, 5, 0, 0, 0}));
    EXPECT_FALSE(ReadLevelSetFile(folder / "bad.txt", &problem));
    EXPECT_EQ(problem, folder / "bad.txt:2: brick potřebuje X Y Points Picture Type Bonus");
    EXPECT_FALSE(ReadLevelSetFile(folder / "none.txt", &problem));
    EXPECT_EQ(problem, folder / "none.txt: soubor chybí");
}

}  // namespace
}  // namespace ZapModule
