// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// animations.ko: decimal numbers separated by commas or line ends, five to a record (sheet
// number from 1, frames, frame width, frame height, steps per frame).

#include <cstdint>
#include <string>
#include <vector>

#include "model/state.h"

namespace ZapModule {

// The problems that make an animation table unusable, one text each, naming animations.ko;
// empty when good (at least two complete records, every number a 16-bit value, every sheet
// number 1 to 13, nothing after the last record but one line end, at most 1 MiB). A record may
// be spread over several lines.
std::vector<std::string> CheckAnimationFile(const std::vector<uint8_t>& bytes);
// Fills Animations from checked bytes (sheet numbers become Sprites indexes); bytes that fail the
// check leave it empty.
void LoadAnimations(GameState& s, const std::vector<uint8_t>& bytes);

}  // namespace ZapModule
