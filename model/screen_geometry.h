// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The game screen Form1's size and places, in its client pixels: the playing field's corner, and
// the two screen buttons Start and Konec, where a press counts and where the background picture
// draws them.

#include <cstdint>

#include "values/rect.h"

namespace ZapModule {

constexpr int32_t kScreenWidth = 663;
constexpr int32_t kScreenHeight = 510;

constexpr int32_t kFieldLeftOnScreen = 16;
constexpr int32_t kFieldTopOnScreen = 16;

constexpr Rect kStartButtonRect{570, 349, 651, 382};
constexpr Rect kQuitButtonRect{570, 412, 651, 445};

}  // namespace ZapModule
