// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The geometry of the playing field Picture1(0), in pixels, origin at the top left, y downward:
// the field, the brick and bonus cells, the bat, the ball, the wall and the lines where a ball
// turns, is lost or stops, and the ball speed modes the bonuses switch.

#include <cstdint>

#include "values/rect.h"

namespace ZapModule {

constexpr int32_t kFieldWidth = 495;
constexpr int32_t kFieldHeight = 475;

// Bricks and bonus items stand in cells of this size; the sheets hold their pictures side by side.
constexpr int32_t kCellWidth = 20;
constexpr int32_t kCellHeight = 25;

// The bat's columns: its rectangle runs from kBatLeft to kBatRight, its sprites are drawn at
// kBatLeft. A game screen loads with the bat's top at kBatStartTop.
constexpr int32_t kBatLeft = 440;
constexpr int32_t kBatRight = 452;
constexpr int16_t kBatStartTop = 240;

// The wall stands from this column to the field's right edge while the wall bonus is on.
constexpr int32_t kWallLeft = 480;

constexpr int32_t kBallSize = 12;
// A served ball rests against the bat's left face; a ball that hits the bat moving right is put
// back there.
constexpr int32_t kServeX = kBatLeft - kBallSize;
// The lines of a ball's left edge or top: it turns at the bottom, turns before the wall, is lost
// past the right edge, and no longer moves at the field's right edge.
constexpr int32_t kBallBottomLimit = kFieldHeight - kBallSize;
constexpr int32_t kWallLine = kWallLeft - kBallSize;
constexpr int32_t kLostLine = 483;
constexpr int32_t kStopLine = kFieldWidth;

// BallSpeedMode: any mode but the normal one suspends the speed rules.
constexpr int16_t kNormalSpeed = 0;
constexpr int16_t kFastSpeed = 1;
constexpr int16_t kSlowSpeed = 2;

// The cell of a brick or bonus item at (x, y). The right and bottom edges are 16-bit sums, as the
// level file's reader has always formed them: a cell less than a cell's size from 32767 gets a
// negative edge, an empty rectangle that nothing hits.
constexpr Rect CellRect(int16_t x, int16_t y) {
    return {x, y, static_cast<int16_t>(x + kCellWidth), static_cast<int16_t>(y + kCellHeight)};
}

}  // namespace ZapModule
