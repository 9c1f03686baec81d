// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The game screen's input: five keys on the field and presses on the two screen buttons.

#include <cstdint>

#include "model/state.h"

namespace ZapModule {

constexpr int kKeyEscape = 27;
constexpr int kKeySpace = 32;
constexpr int kKeyUp = 38;
constexpr int kKeyDown = 40;
constexpr int kKeyP = 80;

void FieldKeyDown(GameState& s, int keyCode);
void FieldKeyUp(GameState& s, int keyCode);
// A mouse press on Form1 at client pixel (x, y), already converted to whole pixels.
void ScreenMouseDown(GameState& s, int32_t x, int32_t y);
void StartPlay(GameState& s);
void ActivateDeath(GameState& s);

}  // namespace ZapModule
