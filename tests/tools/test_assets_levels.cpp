// SPDX-License-Identifier: GPL-3.0-or-later
// The level set as the game loads it: every level clearable in principle, the serve path and the
// viruses' entry rows free, points growing along the journey, bonuses placed as the set intends.
// What the game's level rules ask of any set (bricks inside the field, apart, of known types and
// bonuses, pictures in the sheet, not steel only) the test assets_data_folder_check asks of this
// one through `zapwall-data check`.

#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <array>
#include <map>
#include <set>

#include "storage/level_file.h"
#include "tests/tools/test_assets_data.h"

using namespace AssetTests;
using ZapModule::BrickRecord;
using ZapModule::kCellHeight;
using ZapModule::kCellWidth;
namespace Bonus = ZapModule::Bonus;

namespace {

constexpr int16_t kSteel = ZapModule::kTypeSteel;
constexpr int kServeLineX = 400;  // a brick right of this meets a freshly served ball at once

std::vector<std::vector<BrickRecord>> LoadAllLevels() {
    std::vector<uint8_t> bytes = ReadDataFile("levels.ko");
    EXPECT_TRUE(ZapModule::CheckLevelFile(bytes).empty());
    ZapModule::GameState s;
    ZapModule::OpenLevelFile(s, bytes);
    std::vector<std::vector<BrickRecord>> levels;
    for (int k = 0; k < s.LevelCount; ++k) {
        ZapModule::LoadLevel(s);
        levels.push_back(s.Bricks);
    }
    return levels;
}

const std::vector<std::vector<BrickRecord>>& Levels() {
    static const auto levels = LoadAllLevels();
    return levels;
}

// The breakable bricks that no chain of non-steel cells joins to the open column at the bat,
// however many breakable bricks are cleared first (steel can only go by luck: bomb or piercing).
std::vector<BrickRecord> EnclosedBricks(const std::vector<BrickRecord>& bricks) {
    std::array<std::array<bool, kRows>, kColumns> steel{}, open{};
    for (const BrickRecord& b : bricks)
        if (b.Type == kSteel) steel[b.X / kCellWidth][b.Y / kCellHeight] = true;
    std::vector<std::pair<int, int>> todo;
    todo.reserve(kRows);
    for (int r = 0; r < kRows; ++r) todo.emplace_back(kColumns - 1, r);
    while (!todo.empty()) {
        const auto [c, r] = todo.back();
        todo.pop_back();
        if (c < 0 || r < 0 || c >= kColumns || r >= kRows || steel[c][r] || open[c][r]) continue;
        open[c][r] = true;
        todo.insert(todo.end(), {{c + 1, r}, {c - 1, r}, {c, r + 1}, {c, r - 1}});
    }
    std::vector<BrickRecord> enclosed;
    for (const BrickRecord& b : bricks)
        if (b.Type != kSteel && !open[b.X / kCellWidth][b.Y / kCellHeight]) enclosed.push_back(b);
    return enclosed;
}

TEST(AssetLevels, SetIsLongEnoughForAJourney) {
    EXPECT_GE(Levels().size(), 30u);
}

TEST(AssetLevels, EveryLevelIsClearableWithoutLuck) {
    for (size_t k = 0; k < Levels().size(); ++k) {
        for (const BrickRecord& b : EnclosedBricks(Levels()[k]))
            ADD_FAILURE() << "level " << k + 1 << ": brick at " << b.X << "," << b.Y
                          << " is walled in by steel";
    }
}

TEST(AssetLevels, BricksStayOnTheGridOffTheServePathAndOutOfTheEntryRows) {
    for (size_t k = 0; k < Levels().size(); ++k) {
        for (const BrickRecord& b : Levels()[k]) {
            const std::string at = "level " + std::to_string(k + 1) + ", brick at " +
                                   std::to_string(b.X) + "," + std::to_string(b.Y);
            EXPECT_TRUE(b.X % kCellWidth == 0 && b.Y % kCellHeight == 0) << at << ": off the grid";
            EXPECT_LE(b.X + kCellWidth, kServeLineX) << at << ": in the serve path";
            // Viruses enter along the top and bottom rows.
            EXPECT_GE(b.Y, kCellHeight) << at << ": in the top entry row";
            EXPECT_LE(b.Y + kCellHeight, (kRows - 1) * kCellHeight) << at << ": in the bottom row";
        }
    }
}

TEST(AssetLevels, EverySteelPlateHasABrightFlashAfterIt) {
    const QImage sheet(QString::fromStdString(DataFolder() + "/pictures/ko6"));
    ASSERT_FALSE(sheet.isNull());
    auto brightness = [&sheet](int cell) {
        long sum = 0;
        for (int y = 0; y < kCellHeight; ++y)
            for (int x = 0; x < kCellWidth; ++x)
                sum += qGray(sheet.pixel(cell * kCellWidth + x, y));
        return sum;
    };
    for (const auto& level : Levels()) {
        for (const BrickRecord& b : level) {
            if (b.Type == kSteel) {
                EXPECT_GT(brightness(b.Picture + 1), brightness(b.Picture))
                    << "steel picture " << b.Picture << " has no bright flash after it";
            }
        }
    }
}

TEST(AssetLevels, PointsPerBrickGrowAlongTheJourney) {
    std::map<int, std::pair<int, int>> previous;  // type -> (lowest, highest) of the last level
    for (size_t k = 0; k < Levels().size(); ++k) {
        std::map<int, std::pair<int, int>> range;
        for (const BrickRecord& b : Levels()[k]) {
            auto [it, fresh] = range.insert({b.Type, {b.Points, b.Points}});
            it->second.first = std::min<int>(it->second.first, b.Points);
            it->second.second = std::max<int>(it->second.second, b.Points);
            EXPECT_GT(b.Points, 0) << "level " << k + 1;
        }
        for (const auto& [type, r] : range) {
            if (previous.count(type)) {
                EXPECT_GE(r.first, previous[type].second)
                    << "level " << k + 1 << " pays less for type " << type << " bricks";
            }
            previous[type] = r;
        }
    }
    EXPECT_GT(Levels().back().front().Points, Levels().front().front().Points);
}

TEST(AssetLevels, EarlyLevelsTeachAndRisksStaySparing) {
    std::set<int> kindsUsed;
    for (size_t k = 0; k < Levels().size(); ++k) {
        int bonuses = 0, surprises = 0;
        for (const BrickRecord& b : Levels()[k]) {
            if (b.Bonus > 0) ++bonuses, kindsUsed.insert(b.Bonus);
            if (b.Bonus == Bonus::Surprise) ++surprises;
            if (k < 5) {
                EXPECT_NE(b.Type, kSteel) << "steel in teaching level " << k + 1;
                EXPECT_NE(b.Type, 1) << "double brick in teaching level " << k + 1;
            }
            if (k < 8) {
                EXPECT_TRUE(b.Bonus != Bonus::BallKiller && b.Bonus != Bonus::ShortBat)
                    << "a risk in early level " << k + 1;
            }
        }
        if (k < 5) {
            EXPECT_GE(bonuses, 2) << "teaching level " << k + 1 << " is stingy";
        }
        EXPECT_LE(surprises, 1) << "level " << k + 1 << " has more than one surprise";
    }
    EXPECT_EQ(kindsUsed.size(), 12u) << "every bonus picture should appear somewhere";
}

}  // namespace
