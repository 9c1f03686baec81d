// SPDX-License-Identifier: GPL-3.0-or-later
#include "graphics/field_damage.h"

#include <algorithm>

namespace ZapModule {

FieldTiles FieldTiles::All() {
    FieldTiles all;
    all.Mark(0, 0, kFieldWidth, kFieldHeight);
    return all;
}

void FieldTiles::Mark(int left, int top, int right, int bottom) {
    if (left >= right || top >= bottom) return;
    const int first = left / kTile, last = (right - 1) / kTile;
    std::bitset<kColumns> columns;
    columns.set();
    columns = (columns >> (kColumns - (last - first + 1))) << first;
    for (int row = top / kTile; row <= (bottom - 1) / kTile; ++row) rows_[row] |= columns;
}

FieldTiles& FieldTiles::operator|=(const FieldTiles& other) {
    for (int row = 0; row < kRows; ++row) rows_[row] |= other.rows_[row];
    return *this;
}

bool FieldTiles::Empty() const {
    return std::none_of(rows_.begin(), rows_.end(), [](const auto& row) { return row.any(); });
}

std::vector<Rect> FieldTiles::Rects() const {
    std::vector<Rect> rects;
    auto addBand = [&](const std::bitset<kColumns>& columns, int firstRow, int endRow) {
        const int top = firstRow * kTile;
        const int bottom = std::min(endRow * kTile, kFieldHeight);
        for (int c = 0; c < kColumns;) {
            if (!columns[c]) {
                ++c;
                continue;
            }
            const int start = c;
            while (c < kColumns && columns[c]) ++c;
            rects.push_back(Rect{start * kTile, top, std::min(c * kTile, kFieldWidth), bottom});
        }
    };
    std::bitset<kColumns> band;
    int bandStart = 0;
    for (int row = 0; row < kRows; ++row) {
        if (rows_[row] == band) continue;
        if (band.any()) addBand(band, bandStart, row);
        band = rows_[row];
        bandStart = row;
    }
    if (band.any()) addBand(band, bandStart, kRows);
    return rects;
}

FieldDamage::Ink FieldDamage::InkOf(const Surface& field) {
    Ink ink;
    ink.Known = field.InkKnown() && field.Width() == kFieldWidth && field.Height() == kFieldHeight;
    if (!ink.Known) return ink;
    for (const Rect& r : field.Ink())
        if (!IsRectEmpty(r)) ink.Tiles.Mark(r.Left, r.Top, r.Right, r.Bottom);
    return ink;
}

FieldTiles FieldDamage::ToUpdate(const Surface& field) const {
    Ink now = InkOf(field);
    if (!now.Known || !shown_.Known) return FieldTiles::All();
    now.Tiles |= shown_.Tiles;
    return now.Tiles;
}

void FieldDamage::ShownWhole(const Surface& field) {
    shown_ = InkOf(field);
}

void FieldDamage::ShownPart(const Surface& field) {
    const Ink now = InkOf(field);
    shown_.Known = shown_.Known && now.Known;
    shown_.Tiles |= now.Tiles;
}

}  // namespace ZapModule
