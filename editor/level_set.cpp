// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/level_set.h"

#include <algorithm>
#include <functional>
#include <map>

#include "storage/byte_io.h"
#include "storage/level_rules.h"

namespace ZapModule {

namespace {

constexpr int16_t kFallbackPoints = 10;

// Reading order: by row (top), then by column (left).
bool ComesBefore(const BrickRecord& a, const BrickRecord& b) {
    return a.Y != b.Y ? a.Y < b.Y : a.X < b.X;
}

int FloorDivide(int value, int size) {
    return value >= 0 ? value / size : -((-value + size - 1) / size);
}

int16_t MostCommon(const std::map<int16_t, int>& counts) {
    int16_t best = kFallbackPoints;
    int bestCount = 0;
    for (const auto& [points, count] : counts) {
        if (count > bestCount) {
            best = points;
            bestCount = count;
        }
    }
    return best;
}

std::vector<BrickRecord> TakeBricks(EditorLevel& level, std::vector<size_t> indices) {
    std::vector<BrickRecord> taken;
    std::sort(indices.begin(), indices.end());
    indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
    for (size_t i : indices)
        if (i < level.size()) taken.push_back(level[i]);
    RemoveBricks(level, std::move(indices));
    return taken;
}

}  // namespace

LevelSet DecodeLevelSet(const std::vector<uint8_t>& checkedBytes) {
    LevelSet set;
    set.Levels = ReadLevelBlocks(checkedBytes);
    set.Titles.resize(set.Levels.size());
    const size_t end = EncodeLevelSet(set).size();
    set.Trailing.assign(checkedBytes.begin() + static_cast<std::ptrdiff_t>(end),
                        checkedBytes.end());
    return set;
}

std::vector<uint8_t> EncodeLevelSet(const LevelSet& set) {
    std::vector<uint8_t> out;
    Append16(out, static_cast<int16_t>(set.Levels.size()));
    for (const EditorLevel& level : set.Levels) {
        Append16(out, static_cast<int16_t>(level.size()));
        for (const BrickRecord& b : level) {
            // The file gives the picture before the type.
            for (int16_t value : {b.X, b.Y, b.Points, b.Picture, b.Type, b.Bonus})
                Append16(out, value);
        }
    }
    out.insert(out.end(), set.Trailing.begin(), set.Trailing.end());
    return out;
}

LevelSet NewLevelSet() {
    LevelSet set;
    InsertLevel(set, 0, {MakeBrick(SnapX(200), SnapY(225), kFallbackPoints, 0, kTypeOrdinary, 0)});
    return set;
}

BrickRecord MakeBrick(int x, int y, int16_t points, int16_t picture, int16_t type, int16_t bonus) {
    BrickRecord b;
    b.X = static_cast<int16_t>(x);
    b.Y = static_cast<int16_t>(y);
    b.Points = points;
    b.Picture = picture;
    b.Type = type;
    b.Bonus = bonus;
    return b;
}

size_t PlaceBrick(EditorLevel& level, const BrickRecord& brick) {
    for (size_t i = 0; i < level.size(); ++i) {
        if (level[i].X == brick.X && level[i].Y == brick.Y) {
            level[i] = brick;
            return i;
        }
    }
    const auto at = std::find_if(level.begin(), level.end(),
                                 [&](const BrickRecord& b) { return ComesBefore(brick, b); });
    return static_cast<size_t>(level.insert(at, brick) - level.begin());
}

void RemoveBricks(EditorLevel& level, std::vector<size_t> indices) {
    // From the last down, so that each removal leaves the places of those still to go.
    std::sort(indices.begin(), indices.end(), std::greater<>());
    indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
    for (const size_t i : indices)
        if (i < level.size()) level.erase(level.begin() + static_cast<std::ptrdiff_t>(i));
}

std::vector<size_t> PasteBricks(EditorLevel& level, const std::vector<BrickRecord>& bricks, int dx,
                                int dy) {
    std::vector<BrickRecord> placed;
    for (BrickRecord b : bricks) {
        b.X = static_cast<int16_t>(b.X + dx);
        b.Y = static_cast<int16_t>(b.Y + dy);
        PlaceBrick(level, b);
        placed.push_back(b);
    }
    // Later placements may shift earlier ones: the indices are looked up once all stand.
    std::vector<size_t> indices;
    for (const BrickRecord& b : placed) {
        for (size_t i = 0; i < level.size(); ++i)
            if (level[i].X == b.X && level[i].Y == b.Y) indices.push_back(i);
    }
    std::sort(indices.begin(), indices.end());
    indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
    return indices;
}

std::vector<size_t> MoveBricks(EditorLevel& level, std::vector<size_t> indices, int dx, int dy) {
    return PasteBricks(level, TakeBricks(level, std::move(indices)), dx, dy);
}

int BrickAt(const EditorLevel& level, int x, int y) {
    for (size_t i = level.size(); i-- > 0;) {
        const BrickRecord& b = level[i];
        if (x >= b.X && x < b.X + kCellWidth && y >= b.Y && y < b.Y + kCellHeight)
            return static_cast<int>(i);
    }
    return -1;
}

std::vector<size_t> BricksMeeting(const EditorLevel& level, int left, int top, int right,
                                  int bottom) {
    std::vector<size_t> found;
    for (size_t i = 0; i < level.size(); ++i) {
        const BrickRecord& b = level[i];
        if (b.X < right && left < b.X + kCellWidth && b.Y < bottom && top < b.Y + kCellHeight)
            found.push_back(i);
    }
    return found;
}

void InsertLevel(LevelSet& set, size_t at, EditorLevel level, std::string title) {
    set.Levels.insert(set.Levels.begin() + static_cast<std::ptrdiff_t>(at), std::move(level));
    set.Titles.insert(set.Titles.begin() + static_cast<std::ptrdiff_t>(at), std::move(title));
}

void DuplicateLevel(LevelSet& set, size_t from) {
    InsertLevel(set, from + 1, set.Levels[from], set.Titles[from]);
}

void RemoveLevel(LevelSet& set, size_t at) {
    set.Levels.erase(set.Levels.begin() + static_cast<std::ptrdiff_t>(at));
    set.Titles.erase(set.Titles.begin() + static_cast<std::ptrdiff_t>(at));
}

void MoveLevel(LevelSet& set, size_t from, size_t to) {
    EditorLevel level = std::move(set.Levels[from]);
    std::string title = std::move(set.Titles[from]);
    RemoveLevel(set, from);
    InsertLevel(set, to, std::move(level), std::move(title));
}

int16_t DefaultPoints(const LevelSet& set, int16_t picture, int16_t type) {
    std::map<int16_t, int> same, all;
    for (const EditorLevel& level : set.Levels) {
        for (const BrickRecord& b : level) {
            ++all[b.Points];
            if (b.Picture == picture && b.Type == type) ++same[b.Points];
        }
    }
    return MostCommon(same.empty() ? all : same);
}

int SnapX(int x) {
    return FloorDivide(x, kCellWidth) * kCellWidth;
}

int SnapY(int y) {
    return FloorDivide(y, kCellHeight) * kCellHeight;
}

}  // namespace ZapModule
