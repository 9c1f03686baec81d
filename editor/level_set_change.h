// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One edit of a level set as the undo stack keeps it: only what the edit changed, not the set
// before and after it. A set may hold a million bricks; an edit touches a few of them, or moves,
// adds or removes a level, and costs about that much memory to undo.

#include <cstddef>
#include <string>
#include <vector>

#include "editor/level_set.h"

namespace ZapModule {

// A run of items replaced by another: at `At`, `Removed` gave way to `Inserted`.
template <class Item>
struct Splice {
    size_t At = 0;
    std::vector<Item> Removed, Inserted;
};

struct LevelSetChange {
    // The change of the one level an edit of bricks touches (its index is Levels.At) ...
    bool OneLevel = false;
    Splice<BrickRecord> Bricks;
    // ... or of the list of levels; a level moved by more than one place is a rotation of the
    // levels between its old and its new place, kept as such: RotatedFrom is where it was.
    Splice<EditorLevel> Levels;
    bool Rotated = false;
    size_t RotatedFrom = 0, RotatedTo = 0;
    Splice<std::string> Titles;
    std::vector<uint8_t> TrailingBefore, TrailingAfter;
};

LevelSetChange DifferenceOf(const LevelSet& before, const LevelSet& after);
// Turns the set before the change into the one after it, and back.
void Redo(LevelSet& set, const LevelSetChange& change);
void Undo(LevelSet& set, const LevelSetChange& change);
// About the memory the change holds, in bytes.
size_t HeldBytes(const LevelSetChange& change);

}  // namespace ZapModule
