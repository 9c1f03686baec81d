// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/level_file.h"

#include "storage/byte_io.h"
#include "storage/level_rules.h"

namespace ZapModule {

namespace {

constexpr size_t kValuesPerBrick = 6;
constexpr size_t kBytesPerBrick = 2 * kValuesPerBrick;
// A file damaged throughout would otherwise give one line per level.
constexpr size_t kMaxProblems = 10;

std::string LevelProblem(const std::string& text) {
    return "levels.ko: " + text;
}

int16_t ReadLevelCount(LevelFile& file) {
    ByteReader in(file.Bytes);
    const int16_t count = in.Read16();
    file.Position = in.Position();
    return count;
}

}  // namespace

std::vector<std::string> CheckLevelFile(const std::vector<uint8_t>& bytes) {
    std::vector<std::string> problems;
    ByteReader in(bytes);
    if (!in.Has(1)) {
        problems.push_back(LevelProblem(bytes.empty() ? "soubor je prázdný"
                                                      : "soubor končí uprostřed počtu úrovní"));
        return problems;
    }
    const int16_t count = in.Read16();
    if (std::string refused = LevelCountProblem(count); !refused.empty()) {
        problems.push_back(LevelProblem(refused));
        return problems;
    }
    for (int level = 1; level <= count; ++level) {
        if (problems.size() == kMaxProblems) {
            problems.push_back(LevelProblem("další chyby se neuvádějí"));
            break;
        }
        if (!in.Has(1)) {
            problems.push_back(LevelProblem("počet úrovní je " + std::to_string(count) +
                                            ", soubor jich obsahuje jen " +
                                            std::to_string(level - 1)));
            break;
        }
        const int16_t bricks = in.Read16();
        if (std::string refused = BrickCountProblem(level, bricks); !refused.empty()) {
            problems.push_back(LevelProblem(refused));
            continue;
        }
        if (!in.Has(kValuesPerBrick * bricks)) {
            problems.push_back(LevelProblem("úroveň " + std::to_string(level) + " má mít " +
                                            std::to_string(bricks) +
                                            " cihel, v souboru je jich jen " +
                                            std::to_string(in.Remaining() / kBytesPerBrick)));
            break;
        }
        in.Skip16(kValuesPerBrick * bricks);
    }
    return problems;
}

void OpenLevelFile(GameState& s, std::vector<uint8_t> bytes) {
    s.Levels.Bytes = std::move(bytes);
    s.LevelCount = ReadLevelCount(s.Levels);
}

void ReopenLevelFile(GameState& s) {
    s.LevelCount = ReadLevelCount(s.Levels);
}

void LoadLevel(GameState& s) {
    ByteReader in(s.Levels.Bytes, s.Levels.Position);
    const int16_t count = in.Read16();
    const size_t n = count > 0 ? static_cast<size_t>(count) : 0;
    s.Bricks.assign(n, BrickRecord{});
    s.BrickRects.assign(n, Rect{});
    for (size_t i = 0; i < n; ++i) {
        BrickRecord& brick = s.Bricks[i];
        brick.X = in.Read16();
        brick.Y = in.Read16();
        brick.Points = in.Read16();
        brick.Picture = in.Read16();  // the file gives the picture before the type
        brick.Type = in.Read16();
        brick.Bonus = in.Read16();
        s.BrickRects[i] = CellRect(brick.X, brick.Y);
    }
    s.Levels.Position = in.Position();
}

void SkipToLevel(GameState& s) {
    const int16_t target = s.Level;
    for (int k = 1; k <= target; ++k) {
        ByteReader in(s.Levels.Bytes, s.Levels.Position);
        const int16_t bricks = in.Read16();
        if (bricks > 0) in.Skip16(kValuesPerBrick * static_cast<size_t>(bricks));
        s.Levels.Position = in.Position();
        // A checked file has at least one level; the test keeps an unchecked one from dividing
        // by zero.
        if (s.LevelCount > 0 && k % s.LevelCount == 0) ReopenLevelFile(s);
    }
}

}  // namespace ZapModule
