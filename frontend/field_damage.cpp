#include "frontend/field_damage.h"

#include <algorithm>
#include <vector>

namespace ZapModule {

FieldDamage::Tiles FieldDamage::TilesOf(const Surface& field) {
    Tiles tiles;
    tiles.Known =
        field.InkKnown() && field.Width() == kFieldWidth && field.Height() == kFieldHeight;
    if (!tiles.Known) return tiles;
    std::bitset<kColumns> all;
    all.set();
    for (const Rect& r : field.Ink()) {
        if (IsRectEmpty(r)) continue;
        const int first = r.Left / kTile, last = (r.Right - 1) / kTile;
        const std::bitset<kColumns> columns = (all >> (kColumns - (last - first + 1))) << first;
        for (int row = r.Top / kTile; row <= (r.Bottom - 1) / kTile; ++row)
            tiles.Rows[row] |= columns;
    }
    return tiles;
}

QRegion FieldDamage::ToUpdate(const Surface& field) const {
    const Tiles now = TilesOf(field);
    if (!now.Known || !shown_.Known) return QRegion(0, 0, kFieldWidth, kFieldHeight);
    // Rows of tiles with the same columns form one band; each run of columns in a band is one
    // rectangle. Bands come top to bottom and runs left to right, as QRegion keeps them.
    std::vector<QRect> rects;
    auto addBand = [&](const std::bitset<kColumns>& columns, int firstRow, int endRow) {
        const int top = firstRow * kTile;
        const int height = std::min(endRow * kTile, kFieldHeight) - top;
        for (int c = 0; c < kColumns;) {
            if (!columns[c]) {
                ++c;
                continue;
            }
            const int start = c;
            while (c < kColumns && columns[c]) ++c;
            const int left = start * kTile;
            rects.emplace_back(left, top, std::min(c * kTile, kFieldWidth) - left, height);
        }
    };
    std::bitset<kColumns> band;
    int bandStart = 0;
    for (int row = 0; row < kRows; ++row) {
        const std::bitset<kColumns> columns = now.Rows[row] | shown_.Rows[row];
        if (columns == band) continue;
        if (band.any()) addBand(band, bandStart, row);
        band = columns;
        bandStart = row;
    }
    if (band.any()) addBand(band, bandStart, kRows);
    QRegion region;
    region.setRects(rects.data(), static_cast<int>(rects.size()));
    return region;
}

void FieldDamage::ShownWhole(const Surface& field) {
    shown_ = TilesOf(field);
}

void FieldDamage::ShownPart(const Surface& field) {
    const Tiles now = TilesOf(field);
    shown_.Known = shown_.Known && now.Known;
    for (int row = 0; row < kRows; ++row) shown_.Rows[row] |= now.Rows[row];
}

}  // namespace ZapModule
