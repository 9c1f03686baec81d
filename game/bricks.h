// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Bricks and bonus items: what a hit does, scoring, the eleven bonus kinds and their timers.

#include <cstdint>

#include "model/state.h"

namespace ZapModule {

constexpr int16_t kBonusLife = 2000;

// Label1(1) shows Iq + LevelIq.
void ShowScore(GameState& s);
// Ball b has hit brick j (the intersection is the hit test's): rebound and the brick's rule.
void HitBrick(GameState& s, int16_t b, int16_t j, const Rect& intersection);
void DestroyBrick(GameState& s, int16_t j);
// Destroys brick i whatever its type and steps the caller's index back by one.
void BombBrick(GameState& s, int16_t& i);
void RemoveBonus(GameState& s, int16_t k);
void ApplyBonus(GameState& s, int16_t kind, int16_t b, int16_t k);
void EndBonus(GameState& s, int16_t kind);
// Every timed bonus ends at once, without its sound or EndBonus: the bonus state of a new ball.
void ResetBonusState(GameState& s);

}  // namespace ZapModule
