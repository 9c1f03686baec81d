// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Movers (the viruses) and explosions.

#include <cstdint>

#include "model/state.h"

namespace ZapModule {

void SpawnMover(GameState& s);
void BounceMover(GameState& s, int16_t m, const Rect& intersection);
// The mover's own motion and its field limits; true when this removed it (it left the field).
bool MoveMover(GameState& s, int16_t m);
void RemoveMover(GameState& s, int16_t m, int16_t ball);
void AddExplosion(GameState& s, int16_t x, int16_t y);
// Counts the step the mover's or explosion's current frame has been shown and moves to the next
// frame when it is due: movers start again at frame 0, the explosion keeps counting so its owner
// can see it has ended. A Kind outside Animations leaves the record alone. The counters run
// whether or not anything is drawn, so a game runs the same undrawn.
void AdvanceAnimation(GameState& s, MoverRecord& m);
void RemoveExplosion(GameState& s, int16_t i);

}  // namespace ZapModule
