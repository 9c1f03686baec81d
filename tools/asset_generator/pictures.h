// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The makers of every picture of the data folder. Each returns an opaque RGB32 picture in the
// layout the game's drawing copies expect.

#include <QImage>
#include <vector>

#include "model/field_geometry.h"
#include "tools/asset_generator/animation_table.h"

namespace ZapAssets {

// Bat, ball and wall (bat_ball_wall.cpp).
constexpr int kBatWidth = ZapModule::kBatRight - ZapModule::kBatLeft;
constexpr int kBatSegmentHeight = 27;  // body segments are drawn 27 px apart
constexpr int kBatCapHeight = 3;       // the body covers the top cap from row 3 on
QImage BatBody();                      // pictures/ko1
QImage BatCap();                       // pictures/ko2
QImage Ball();                         // pictures/ko3, 12 x 12
QImage Wall();                         // pictures/ko12, 15 x 475

// Brick sheet (brick_sheet.cpp): a row of 20 x 25 cells, each steel plate followed by its flash.
QImage BrickSheet();  // pictures/ko6

// Bonus sheet (bonus_sheet.cpp): pictures 1 to 12 of the bonus kinds, 12 the surprise.
QImage BonusSheet();  // pictures/ko7

// The game screen's background and the pressed button (screen_pictures.cpp).
QImage GameScreen();     // pictures/gui, 663 x 510
QImage PressedButton();  // pictures/ko13, 19 x 33: the lamp part of a screen button

// The sheet of animation record `index` (creatures.cpp): 0 and 2 to 5 are viruses, 1 the burst.
QImage AnimationSheet(int index, const AnimationSpec& spec);

}  // namespace ZapAssets
