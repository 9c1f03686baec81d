// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Ball motion and collisions: the collision rectangles, the one hit test of the game, serving,
// following the bat, the ball's own motion with the lost line, the edges and the speed rules,
// and its rebounds off the bat, a block (brick or bonus) and a mover.

#include <cstdint>
#include <vector>

#include "model/state.h"

namespace ZapModule {

void UpdateRects(GameState& s);
// IntersectRect, but a hit only when all four coordinates of the intersection are non-zero.
bool HitTest(Rect& intersection, const Rect& a, const Rect& b);
// The lowest index below `count` whose rectangle in `rects` hits `a` (HitTest), with their
// intersection in `intersection`; -1 when none does. This is every scan of the game step.
int16_t FirstHit(Rect& intersection, const Rect& a, const std::vector<Rect>& rects, int16_t count);
void ServeBall(GameState& s);
void FollowBat(GameState& s, int16_t distance);
void BounceOffBat(GameState& s, int16_t b, int16_t intersectionTop);
void BounceOffBlock(GameState& s, int16_t b, const Rect& intersection, int16_t bx, int16_t by);
void BounceOffMover(GameState& s, int16_t b);
void MoveBall(GameState& s, int16_t b);
void RunDeathTimer(GameState& s, int16_t b);

}  // namespace ZapModule
