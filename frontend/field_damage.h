#pragma once
// Which part of the field a refresh must update. Every step redraws the whole field surface, but
// outside its ink (the rectangles drawn on the black ground, Surface::Ink) every pixel is black;
// so the picture on the screen and the new one can differ only where the ink of either lies.
// The ink is kept as a grid of 5 x 5 pixel tiles: cheap to mark and to merge, and it turns into
// a few rectangles (a brick of the level grid is exactly 4 x 5 tiles).

#include <QRegion>
#include <array>
#include <bitset>

#include "game/state.h"
#include "graphics/surface.h"

namespace ZapModule {

class FieldDamage {
  public:
    // The field pixels to update to show `field` over the picture on the screen: the ink of both
    // pictures, or the whole field when either is not known.
    QRegion ToUpdate(const Surface& field) const;
    // `field` was painted over everything ToUpdate named (or over the whole field).
    void ShownWhole(const Surface& field);
    // `field` was painted over a part of the field only: the screen may now show either
    // picture's ink.
    void ShownPart(const Surface& field);

  private:
    static constexpr int kTile = 5;
    static constexpr int kColumns = (kFieldWidth + kTile - 1) / kTile;
    static constexpr int kRows = (kFieldHeight + kTile - 1) / kTile;
    struct Tiles {
        std::array<std::bitset<kColumns>, kRows> Rows{};
        bool Known = false;
    };
    static Tiles TilesOf(const Surface& field);

    Tiles shown_;  // unknown until the field was first shown
};

}  // namespace ZapModule
