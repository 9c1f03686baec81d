// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/level_set_change.h"

#include <algorithm>

namespace ZapModule {

namespace {

template <class Item>
Splice<Item> SpliceBetween(const std::vector<Item>& before, const std::vector<Item>& after) {
    const size_t shorter = std::min(before.size(), after.size());
    size_t head = 0;
    while (head < shorter && before[head] == after[head]) ++head;
    size_t tail = 0;
    while (tail < shorter - head &&
           before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
        ++tail;
    const auto part = [&](const std::vector<Item>& items) {
        return std::vector<Item>(items.begin() + static_cast<std::ptrdiff_t>(head),
                                 items.end() - static_cast<std::ptrdiff_t>(tail));
    };
    return {head, part(before), part(after)};
}

template <class Item>
void Replace(std::vector<Item>& items, size_t at, const std::vector<Item>& out,
             const std::vector<Item>& in) {
    const auto start = items.begin() + static_cast<std::ptrdiff_t>(at);
    items.erase(start, start + static_cast<std::ptrdiff_t>(out.size()));
    items.insert(items.begin() + static_cast<std::ptrdiff_t>(at), in.begin(), in.end());
}

template <class Item>
size_t BytesOf(const std::vector<Item>& items) {
    return items.capacity() * sizeof(Item);
}

// Moves the item at `from` to `to`, the others keeping their order.
void MoveItem(std::vector<EditorLevel>& items, size_t from, size_t to) {
    const auto first = items.begin();
    if (from < to)
        std::rotate(first + static_cast<std::ptrdiff_t>(from),
                    first + static_cast<std::ptrdiff_t>(from) + 1,
                    first + static_cast<std::ptrdiff_t>(to) + 1);
    else
        std::rotate(first + static_cast<std::ptrdiff_t>(to),
                    first + static_cast<std::ptrdiff_t>(from),
                    first + static_cast<std::ptrdiff_t>(from) + 1);
}

}  // namespace

LevelSetChange DifferenceOf(const LevelSet& before, const LevelSet& after) {
    LevelSetChange change;
    change.Titles = SpliceBetween(before.Titles, after.Titles);
    if (before.Trailing != after.Trailing) {
        change.TrailingBefore = before.Trailing;
        change.TrailingAfter = after.Trailing;
    }
    Splice<EditorLevel> levels = SpliceBetween(before.Levels, after.Levels);
    const std::vector<EditorLevel>& out = levels.Removed;
    const std::vector<EditorLevel>& in = levels.Inserted;
    change.Levels.At = levels.At;
    if (out.size() == 1 && in.size() == 1) {
        change.OneLevel = true;
        change.Bricks = SpliceBetween(out[0], in[0]);
    } else if (out.size() == in.size() && out.size() >= 2 &&
               (std::equal(out.begin() + 1, out.end(), in.begin()) && out.front() == in.back())) {
        change.Rotated = true;  // the first level of the run went to its end
        change.RotatedFrom = levels.At;
        change.RotatedTo = levels.At + out.size() - 1;
    } else if (out.size() == in.size() && out.size() >= 2 &&
               std::equal(in.begin() + 1, in.end(), out.begin()) && in.front() == out.back()) {
        change.Rotated = true;  // the last level of the run went to its start
        change.RotatedFrom = levels.At + out.size() - 1;
        change.RotatedTo = levels.At;
    } else {
        change.Levels = std::move(levels);
    }
    return change;
}

void Redo(LevelSet& set, const LevelSetChange& change) {
    Replace(set.Titles, change.Titles.At, change.Titles.Removed, change.Titles.Inserted);
    if (change.TrailingBefore != change.TrailingAfter) set.Trailing = change.TrailingAfter;
    if (change.OneLevel)
        Replace(set.Levels[change.Levels.At], change.Bricks.At, change.Bricks.Removed,
                change.Bricks.Inserted);
    else if (change.Rotated)
        MoveItem(set.Levels, change.RotatedFrom, change.RotatedTo);
    else
        Replace(set.Levels, change.Levels.At, change.Levels.Removed, change.Levels.Inserted);
}

void Undo(LevelSet& set, const LevelSetChange& change) {
    Replace(set.Titles, change.Titles.At, change.Titles.Inserted, change.Titles.Removed);
    if (change.TrailingBefore != change.TrailingAfter) set.Trailing = change.TrailingBefore;
    if (change.OneLevel)
        Replace(set.Levels[change.Levels.At], change.Bricks.At, change.Bricks.Inserted,
                change.Bricks.Removed);
    else if (change.Rotated)
        MoveItem(set.Levels, change.RotatedTo, change.RotatedFrom);
    else
        Replace(set.Levels, change.Levels.At, change.Levels.Inserted, change.Levels.Removed);
}

size_t HeldBytes(const LevelSetChange& change) {
    size_t bytes = sizeof change + BytesOf(change.Bricks.Removed) +
                   BytesOf(change.Bricks.Inserted) + BytesOf(change.TrailingBefore) +
                   BytesOf(change.TrailingAfter);
    for (const auto* levels : {&change.Levels.Removed, &change.Levels.Inserted})
        for (const EditorLevel& level : *levels) bytes += sizeof(EditorLevel) + BytesOf(level);
    for (const auto* titles : {&change.Titles.Removed, &change.Titles.Inserted})
        for (const std::string& title : *titles) bytes += sizeof(std::string) + title.capacity();
    return bytes;
}

}  // namespace ZapModule
