// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Movers (the viruses) and explosions.

#include <cstdint>

#include "game/contract/state.h"

namespace ZapModule {

void SpawnMover(GameState& s);
void BounceMover(GameState& s, int16_t m, const Rect& intersection);
// The mover's own motion and its field limits; true when this removed it (it left the field).
bool MoveMover(GameState& s, int16_t m);
void RemoveMover(GameState& s, int16_t m, int16_t ball);
void AddExplosion(GameState& s, int16_t x, int16_t y);
void RemoveExplosion(GameState& s, int16_t i);

}  // namespace ZapModule
