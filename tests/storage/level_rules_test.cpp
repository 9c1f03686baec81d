// SPDX-License-Identifier: GPL-3.0-or-later
// The rules of what a level set may hold: what the game refuses, what it plays but not as meant,
// and that the shipped kind of level passes.

#include <gtest/gtest.h>

#include "game/data_check.h"
#include "storage/level_rules.h"
#include "tests/storage/storage_test_support.h"

using namespace ZapModule;

namespace {

BrickRecord Brick(int x, int y, int16_t type = kTypeOrdinary, int16_t picture = 0,
                  int16_t bonus = 0, int16_t points = 5) {
    BrickRecord b;
    b.X = static_cast<int16_t>(x);
    b.Y = static_cast<int16_t>(y);
    b.Type = type;
    b.Picture = picture;
    b.Bonus = bonus;
    b.Points = points;
    return b;
}

std::vector<std::string> Texts(const std::vector<LevelRuleProblem>& problems) {
    std::vector<std::string> texts;
    texts.reserve(problems.size());
    for (const LevelRuleProblem& p : problems) texts.push_back(p.Text);
    return texts;
}

using Problems = std::vector<LevelRuleProblem>;

TEST(LevelRules, TheGameRefusesASetWithoutLevelsOrALevelWithoutBricks) {
    EXPECT_EQ(CheckLevelSet({}), (Problems{{true, 0, -1, "počet úrovní je 0, musí být aspoň 1"}}));
    const auto empty = CheckLevelSet({{Brick(0, 25)}, {}});
    EXPECT_TRUE(AnyRefused(empty));
    EXPECT_EQ(empty, (Problems{{true, 2, -1, "úroveň 2 má počet cihel 0, musí být aspoň 1"}}));

    EXPECT_EQ(BrickCountProblem(3, 32768), "úroveň 3 má 32768 cihel, nejvýše 32767");
    EXPECT_EQ(LevelCountProblem(32767), "");
    EXPECT_NE(LevelCountProblem(32768), "");
}

TEST(LevelRules, BricksTheGameWouldNotPlayAsMeantAreNamedButNotRefused) {
    const std::vector<BrickRecord> level = {
        Brick(0, 25),                   // fine
        Brick(480, 0),                  // reaches past the right edge
        Brick(-20, 50),                 // left of the field
        Brick(40, 25, 3),               // a type that never breaks
        Brick(60, 25, 0, 0, 13),        // a bonus that does not exist
        Brick(80, 25, kTypeSteel, 11),  // steel without a flash picture
        Brick(100, 25, 0, 0, 0, -5),    // negative points
        Brick(10, 25),                  // overlaps the first
        Brick(0, 25),                   // stands exactly on it
    };
    const auto problems = CheckLevelSet({level}, 12);
    EXPECT_FALSE(AnyRefused(problems));
    EXPECT_EQ(Texts(problems),
              (std::vector<std::string>{
                  "úroveň 1, cihla 2 (x 480, y 0): nevejde se do pole 495 × 475",
                  "úroveň 1, cihla 3 (x -20, y 50): nevejde se do pole 495 × 475",
                  // NOLINTNEXTLINE(bugprone-suspicious-missing-comma): one message on two lines
                  "úroveň 1, cihla 4 (x 40, y 25): typ 3 neexistuje (0 obyčejná, 1 na dva "
                  "zásahy, 2 ocelová), cihla by se nedala rozbít",
                  "úroveň 1, cihla 5 (x 60, y 25): bonus 13 neexistuje (0 žádný, 1 až 12)",
                  "úroveň 1, cihla 6 (x 80, y 25): obrázek 11 (a jeho záblesk) není v listu "
                  "cihel (0 až 11)",
                  "úroveň 1, cihla 7 (x 100, y 25): záporné body -5",
                  "úroveň 1, cihla 8 (x 10, y 25): překrývá cihlu 1",
                  "úroveň 1, cihla 9 (x 0, y 25): překrývá cihlu 1",
              }));
    EXPECT_EQ(problems[0].Brick, 1);
    // Without the sheet's size only a negative picture is wrong.
    EXPECT_TRUE(CheckLevelSet({{Brick(0, 0, kTypeSteel, 11)}}).size() == 1u);  // steel only
}

TEST(LevelRules, ALevelOfSteelOnlyCannotBeFinishedWithoutLuck) {
    const auto problems =
        CheckLevelSet({{Brick(0, 25, kTypeSteel, 8), Brick(20, 25, kTypeSteel, 8)},
                       {Brick(0, 25, kTypeSteel, 8), Brick(20, 25, 1)}},
                      12);
    EXPECT_EQ(problems, (Problems{{false, 1, -1,
                                   "úroveň 1 má jen ocelové cihly: skončí jen bombou nebo "
                                   "průrazným míčkem"}}));
}

TEST(LevelRules, NeighboursOnTheGridAndAFullFieldPass) {
    std::vector<BrickRecord> full;
    for (int y = 0; y + kCellHeight <= kFieldHeight; y += kCellHeight)
        for (int x = 0; x + kCellWidth <= kFieldWidth; x += kCellWidth)
            full.push_back(Brick(x, y, kTypeDouble, 2, 12));
    EXPECT_EQ(full.size(), 24u * 19u);
    EXPECT_TRUE(CheckLevelSet({full}, 12).empty());
}

TEST(LevelRules, TheDataCheckNamesWhatTheGamePlaysButNotAsMeant) {
    using ZapModule::testing::Values16;
    ZapModule::testing::TempFolder data;
    // A sheet of two pictures: picture 1 as steel would need a third for its flash.
    const PictureLoader twoPictures = [](const std::string& path, std::string*) {
        return std::optional<Surface>(path.ends_with("ko6") ? Surface(2 * kCellWidth, kCellHeight)
                                                            : Surface(1, 1));
    };
    ZapModule::testing::WriteBytes(data / "levels.ko", Values16({1, 1, 0, 25, 5, 1, 2, 0}));
    EXPECT_EQ(CheckLevelPlay(data.Path(), twoPictures),
              (std::vector<std::string>{
                  "levels.ko: úroveň 1, cihla 1 (x 0, y 25): obrázek 1 (a jeho záblesk) není v "
                  "listu cihel (0 až 1)",
                  "levels.ko: úroveň 1 má jen ocelové cihly: skončí jen bombou nebo průrazným "
                  "míčkem"}));
    // A refused file is the start-up check's to report.
    ZapModule::testing::WriteBytes(data / "levels.ko", Values16({0}));
    EXPECT_TRUE(CheckLevelPlay(data.Path(), twoPictures).empty());
}

}  // namespace
