// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/level_rules.h"

#include <algorithm>
#include <map>
#include <utility>

#include "storage/level_file.h"

namespace ZapModule {

namespace {

constexpr int16_t kLastBonus = Bonus::Surprise;

std::string BrickName(int index, const BrickRecord& brick) {
    return "cihla " + std::to_string(index + 1) + " (x " + std::to_string(brick.X) + ", y " +
           std::to_string(brick.Y) + ")";
}

bool InsideField(const BrickRecord& b) {
    return b.X >= 0 && b.Y >= 0 && b.X + kCellWidth <= kFieldWidth &&
           b.Y + kCellHeight <= kFieldHeight;
}

bool Overlap(const BrickRecord& a, const BrickRecord& b) {
    return a.X < b.X + kCellWidth && b.X < a.X + kCellWidth && a.Y < b.Y + kCellHeight &&
           b.Y < a.Y + kCellHeight;
}

// What is wrong with one brick by itself, or nothing.
std::string BrickProblem(const BrickRecord& b, int brickPictures) {
    if (!InsideField(b))
        return "nevejde se do pole " + std::to_string(kFieldWidth) + " × " +
               std::to_string(kFieldHeight);
    if (b.Type < kTypeOrdinary || b.Type > kTypeSteel)
        return "typ " + std::to_string(b.Type) +
               " neexistuje (0 obyčejná, 1 na dva zásahy, 2 ocelová), cihla by se nedala rozbít";
    if (b.Bonus < 0 || b.Bonus > kLastBonus)
        return "bonus " + std::to_string(b.Bonus) + " neexistuje (0 žádný, 1 až " +
               std::to_string(kLastBonus) + ")";
    if (b.Points < 0) return "záporné body " + std::to_string(b.Points);
    const int last = b.Type == kTypeSteel ? b.Picture + 1 : b.Picture;
    if (b.Picture < 0 || (brickPictures > 0 && last >= brickPictures))
        return "obrázek " + std::to_string(b.Picture) +
               (b.Type == kTypeSteel ? " (a jeho záblesk)" : "") + " není v listu cihel" +
               (brickPictures > 0 ? " (0 až " + std::to_string(brickPictures - 1) + ")" : "");
    return {};
}

// The index of an earlier brick that `index` overlaps, or -1. Bricks are sorted into cells of
// their own size, so only the cell of a brick and its eight neighbours can hold one it overlaps.
// Whether two bricks overlap depends only on where they stand, so a cell keeps each place once,
// with the first brick standing there: a level of many bricks on few places (a million on the
// grid's 456 cells) is checked in time to its bricks, not to their square.
class OverlapFinder {
  public:
    int EarlierOverlap(const std::vector<BrickRecord>& bricks, int index) {
        const BrickRecord& b = bricks[static_cast<size_t>(index)];
        const auto [column, row] = CellOf(b);
        int found = -1;
        for (int dc = -1; dc <= 1; ++dc) {
            for (int dr = -1; dr <= 1; ++dr) {
                const auto cell = cells_.find({column + dc, row + dr});
                if (cell == cells_.end()) continue;
                for (const Place& place : cell->second) {
                    if (Overlap(b, bricks[static_cast<size_t>(place.First)]) &&
                        (found < 0 || place.First < found)) {
                        found = place.First;
                        break;  // each cell's places are in the order of their first bricks
                    }
                }
            }
        }
        std::vector<Place>& places = cells_[{column, row}];
        const auto here = [&](const Place& p) { return p.X == b.X && p.Y == b.Y; };
        if (std::none_of(places.begin(), places.end(), here)) places.push_back({b.X, b.Y, index});
        return found;
    }

  private:
    static std::pair<int, int> CellOf(const BrickRecord& b) {
        const auto down = [](int value, int size) {
            return value >= 0 ? value / size : -((-value + size - 1) / size);
        };
        return {down(b.X, kCellWidth), down(b.Y, kCellHeight)};
    }
    struct Place {
        int16_t X, Y;
        int First;  // the first brick standing there
    };
    std::map<std::pair<int, int>, std::vector<Place>> cells_;
};

}  // namespace

std::string LevelCountProblem(int64_t count) {
    if (count < 1) return "počet úrovní je " + std::to_string(count) + ", musí být aspoň 1";
    if (count > kMaxLevelSetCount)
        return "úrovní je " + std::to_string(count) + ", soubor jich pojme nejvýše " +
               std::to_string(kMaxLevelSetCount);
    return {};
}

std::string LevelName(int level) {
    return "úroveň " + std::to_string(level);
}

std::string BrickCountProblem(int level, int64_t bricks) {
    const std::string name = LevelName(level);
    if (bricks < 1)
        return name + " má počet cihel " + std::to_string(bricks) + ", musí být aspoň 1";
    if (bricks > kMaxLevelSetCount)
        return name + " má " + std::to_string(bricks) + " cihel, nejvýše " +
               std::to_string(kMaxLevelSetCount);
    return {};
}

void CheckLevel(const std::vector<BrickRecord>& bricks, int level, int brickPictures,
                std::vector<LevelRuleProblem>& problems) {
    const std::string name = LevelName(level);
    if (std::string refused = BrickCountProblem(level, static_cast<int64_t>(bricks.size()));
        !refused.empty()) {
        problems.push_back({true, level, -1, std::move(refused)});
        return;
    }
    OverlapFinder overlaps;
    for (size_t i = 0; i < bricks.size(); ++i) {
        const int index = static_cast<int>(i);
        std::string problem = BrickProblem(bricks[i], brickPictures);
        if (problem.empty()) {
            if (const int other = overlaps.EarlierOverlap(bricks, index); other >= 0)
                problem = "překrývá cihlu " + std::to_string(other + 1);
        }
        if (!problem.empty())
            problems.push_back(
                {false, level, index, name + ", " + BrickName(index, bricks[i]) + ": " + problem});
    }
    const bool steelOnly = std::all_of(bricks.begin(), bricks.end(),
                                       [](const BrickRecord& b) { return b.Type == kTypeSteel; });
    if (steelOnly)
        problems.push_back(
            {false, level, -1,
             name + " má jen ocelové cihly: skončí jen bombou nebo průrazným míčkem"});
}

std::vector<LevelRuleProblem> CheckLevelSet(const std::vector<std::vector<BrickRecord>>& levels,
                                            int brickPictures) {
    std::vector<LevelRuleProblem> problems;
    if (std::string refused = LevelCountProblem(static_cast<int64_t>(levels.size()));
        !refused.empty())
        problems.push_back({true, 0, -1, std::move(refused)});
    for (size_t l = 0; l < levels.size(); ++l)
        CheckLevel(levels[l], static_cast<int>(l + 1), brickPictures, problems);
    return problems;
}

std::vector<std::vector<BrickRecord>> ReadLevelBlocks(const std::vector<uint8_t>& checkedBytes) {
    GameState s;
    OpenLevelFile(s, checkedBytes);
    std::vector<std::vector<BrickRecord>> levels;
    for (int k = 0; k < s.LevelCount; ++k) {
        LoadLevel(s);
        levels.push_back(std::move(s.Bricks));
    }
    return levels;
}

bool AnyRefused(const std::vector<LevelRuleProblem>& problems) {
    return std::any_of(problems.begin(), problems.end(),
                       [](const LevelRuleProblem& p) { return p.Refused; });
}

}  // namespace ZapModule
