#include "frontend/field_damage.h"

#include <algorithm>
#include <vector>

namespace ZapModule {

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

QRegion FieldTiles::Region() const {
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
        if (rows_[row] == band) continue;
        if (band.any()) addBand(band, bandStart, row);
        band = rows_[row];
        bandStart = row;
    }
    if (band.any()) addBand(band, bandStart, kRows);
    QRegion region;
    region.setRects(rects.data(), static_cast<int>(rects.size()));
    return region;
}

FieldDamage::Ink FieldDamage::InkOf(const Surface& field) {
    Ink ink;
    ink.Known = field.InkKnown() && field.Width() == kFieldWidth && field.Height() == kFieldHeight;
    if (!ink.Known) return ink;
    for (const Rect& r : field.Ink())
        if (!IsRectEmpty(r)) ink.Tiles.Mark(r.Left, r.Top, r.Right, r.Bottom);
    return ink;
}

QRegion FieldDamage::ToUpdate(const Surface& field) const {
    Ink now = InkOf(field);
    if (!now.Known || !shown_.Known) return QRegion(0, 0, kFieldWidth, kFieldHeight);
    now.Tiles |= shown_.Tiles;
    return now.Tiles.Region();
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
