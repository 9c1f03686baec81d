// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The editor's document: a level set as the game reads it, and the edits made on it. Plain C++,
// so the rules of editing are tested without windows; the Qt windows only show it and record
// each edit for undo.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "model/state.h"

namespace ZapModule {

using EditorLevel = std::vector<BrickRecord>;

struct LevelSet {
    std::vector<EditorLevel> Levels;
    // One per level, beside it: the title its `level` line in the text gave, empty when none
    // (always for a set read from a levels.ko, which holds no titles).
    std::vector<std::string> Titles;
    std::vector<uint8_t> Trailing;  // bytes after the last level, which the game never reads

    friend bool operator==(const LevelSet&, const LevelSet&) = default;
};

// The set from a level file that CheckLevelFile accepts (with empty titles), and back to exactly
// those bytes.
LevelSet DecodeLevelSet(const std::vector<uint8_t>& checkedBytes);
std::vector<uint8_t> EncodeLevelSet(const LevelSet& set);

// A new set: one level of one brick, so that it is playable from the start.
LevelSet NewLevelSet();

// A brick of the given kind at (x, y), with nothing of play (HitOnce, Flash) set.
BrickRecord MakeBrick(int x, int y, int16_t points, int16_t picture, int16_t type, int16_t bonus);

// Puts `brick` into the level: in place of a brick standing exactly where it goes, otherwise
// before the first brick that comes later in reading order (row by row), so a level drawn on the
// grid keeps the order the text's grids give. Returns its index.
size_t PlaceBrick(EditorLevel& level, const BrickRecord& brick);
// Removes the bricks at these indices; the others keep their order.
void RemoveBricks(EditorLevel& level, std::vector<size_t> indices);
// Moves the bricks at these indices by (dx, dy), each placed as by PlaceBrick (so a brick it
// lands on exactly is replaced). Returns their new indices.
std::vector<size_t> MoveBricks(EditorLevel& level, std::vector<size_t> indices, int dx, int dy);
// Adds copies of `bricks` moved by (dx, dy), placed as by PlaceBrick; returns their indices.
std::vector<size_t> PasteBricks(EditorLevel& level, const std::vector<BrickRecord>& bricks, int dx,
                                int dy);

// The brick drawn at field point (x, y): of those whose cell holds it, the one drawn last.
// -1 when none.
int BrickAt(const EditorLevel& level, int x, int y);
// The bricks whose cells meet the rectangle from (left, top) to (right, bottom), exclusive.
std::vector<size_t> BricksMeeting(const EditorLevel& level, int left, int top, int right,
                                  int bottom);

// The operations on whole levels, each taking the level's title along. Positions are in range
// (`at` of InsertLevel may be the end).
void InsertLevel(LevelSet& set, size_t at, EditorLevel level, std::string title = {});
// Inserts a copy of level `from`, title and all, right after it.
void DuplicateLevel(LevelSet& set, size_t from);
void RemoveLevel(LevelSet& set, size_t at);
// Moves level `from` to position `to`; the others keep their order.
void MoveLevel(LevelSet& set, size_t from, size_t to);

// The points a new brick of this picture and type gets: the most common points of such bricks in
// the set (the smaller on a tie), else the most common points of all its bricks, else 10.
int16_t DefaultPoints(const LevelSet& set, int16_t picture, int16_t type);

// The top-left corner of the grid cell holding (x, y), on the 20 x 25 grid the levels use.
int SnapX(int x);
int SnapY(int y);

}  // namespace ZapModule
