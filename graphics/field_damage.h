// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Which part of the field a refresh must update, for every way the field is shown (Qt's paint,
// the X11 and Wayland outputs, the browser's canvas). Every step redraws the whole field surface,
// but outside its ink (the rectangles drawn on the black ground, Surface::Ink) every pixel is
// black; so the picture on the screen and the new one can differ only where the ink of either
// lies. Parts of the field are kept as a grid of 5 x 5 pixel tiles: cheap to mark and to merge,
// and they turn into a few rectangles (a brick of the level grid is exactly 4 x 5 tiles).

#include <array>
#include <bitset>
#include <vector>

#include "model/state.h"
#include "values/rect.h"
#include "values/surface.h"

namespace ZapModule {

// A set of the field's 5 x 5 pixel tiles.
class FieldTiles {
  public:
    static constexpr int kTile = 5;
    // Every tile of the field.
    static FieldTiles All();
    // Adds every tile that the pixels from (left, top) to (right, bottom), both excluded, touch.
    void Mark(int left, int top, int right, int bottom);
    FieldTiles& operator|=(const FieldTiles& other);
    bool Empty() const;
    // The tiles as rectangles in field pixels: rows of tiles with the same columns form one band,
    // each run of columns in a band is one rectangle; bands top to bottom, runs left to right.
    std::vector<Rect> Rects() const;

  private:
    static constexpr int kColumns = (kFieldWidth + kTile - 1) / kTile;
    static constexpr int kRows = (kFieldHeight + kTile - 1) / kTile;
    std::array<std::bitset<kColumns>, kRows> rows_{};
};

class FieldDamage {
  public:
    // The field pixels to update to show `field` over the picture on the screen: the ink of both
    // pictures, or the whole field when either is not known.
    FieldTiles ToUpdate(const Surface& field) const;
    // `field` was painted over everything ToUpdate named (or over the whole field).
    void ShownWhole(const Surface& field);
    // `field` was painted over a part of the field only: the screen may now show either
    // picture's ink.
    void ShownPart(const Surface& field);

  private:
    struct Ink {
        FieldTiles Tiles;
        bool Known = false;
    };
    static Ink InkOf(const Surface& field);

    Ink shown_;  // unknown until the field was first shown
};

}  // namespace ZapModule
