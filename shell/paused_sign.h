// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a paused game shows on its game screen, in every frontend: a word in a black box with a
// red frame, which the window draws over the field's picture. The field itself keeps what the
// last step drew; the sign goes when the game goes on.

#include <cstdint>
#include <string_view>

#include "values/rect.h"

namespace ZapModule {

inline constexpr std::string_view kPausedText = "Pauza";
// The box in field pixels: centred across the field, below the messages between levels.
inline constexpr Rect kPausedPlace{172, 296, 323, 329};
// The text's and the frame's colour, 0xRRGGBB, as bright as the first message between levels.
inline constexpr uint32_t kPausedColour = 0xFF0000;

}  // namespace ZapModule
