// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/movers.h"

#include <cstddef>

#include "game/bricks.h"
#include "game/score.h"
#include "sound/sound.h"
#include "values/rounding.h"

namespace ZapModule {

namespace {

constexpr int16_t kHostileKind = 5;
constexpr int16_t kScoringKind = 4;
// A random source that keeps drawing a forbidden kind (only a fixed test sequence can) gives up
// after this many draws and takes kind 0, which is always allowed, instead of hanging the game.
constexpr int kMaxKindDraws = 10000;

int16_t HighestAllowedKind(int16_t level) {
    if (level < 6) return 1;
    if (level <= 10) return 4;
    return 5;
}

int16_t DrawKind(GameState& s) {
    const int16_t highest = HighestAllowedKind(s.Level);
    for (int draw = 0; draw < kMaxKindDraws; ++draw) {
        const int16_t k = RoundToInt16(double{s.Random.Next()} * (s.AnimationCount() - 1));
        if (k != kExplosionKind && k <= highest) return k;
    }
    return 0;
}

}  // namespace

void SpawnMover(GameState& s) {
    int16_t kind = DrawKind(s);
    if (kind == kHostileKind) {
        if (s.Kind5Present == kTrue)
            kind = RoundToInt16(2 * double{s.Random.Next()} + 2);
        else
            s.Kind5Present = kTrue;
    }
    MoverRecord m;
    m.Kind = kind;
    m.X = 0;
    const bool bottom = s.Random.Next() >= 0.5;
    m.Y = bottom ? static_cast<float>(kFieldHeight - AnimationOf(s, kind).FrameHeight) : 0.0f;
    m.Dx = static_cast<float>(double{s.Random.Next()} - 0.5);
    m.Dy = static_cast<float>(double{s.Random.Next()} - 0.5);
    s.Movers.push_back(m);
    s.MoverRects.push_back(Rect{});
}

void BounceMover(GameState& s, int16_t m, const Rect& intersection) {
    MoverRecord& mover = s.Movers[m];
    const int16_t h = static_cast<int16_t>(intersection.Bottom - intersection.Top);
    const int16_t w = static_cast<int16_t>(intersection.Right - intersection.Left);
    if (h >= w) mover.Dx = -mover.Dx;
    if (h <= w) mover.Dy = -mover.Dy;
}

bool MoveMover(GameState& s, int16_t m) {
    MoverRecord& mover = s.Movers[m];
    const AnimationRecord a = AnimationOf(s, mover.Kind);
    mover.X = static_cast<float>(double{mover.X} + mover.Dx);
    mover.Y = static_cast<float>(double{mover.Y} + mover.Dy);
    if (mover.X > kWallLeft - a.FrameWidth && s.WallOn == kTrue) mover.Dx = -mover.Dx;
    if (mover.X > kFieldWidth && s.WallOn == kFalse) {
        RemoveMover(s, m, -1);
        return true;
    }
    if (mover.X < 0) mover.Dx = -mover.Dx;
    if (mover.Y > kFieldHeight - a.FrameHeight) mover.Dy = -mover.Dy;
    if (mover.Y < 0) mover.Dy = -mover.Dy;
    return false;
}

void RemoveMover(GameState& s, int16_t m, int16_t ball) {
    const MoverRecord mover = s.Movers[m];
    if (mover.X <= kFieldWidth) {
        if (mover.Kind == kHostileKind && ball >= 0) {
            s.Balls[ball].Dead = kTrue;
            PlaySound(s, Effect::Die);
        } else if (mover.Kind == kHostileKind) {
            AddToScore(s.LevelIq, 2);
            ShowScore(s);
        } else if (mover.Kind == kScoringKind) {
            AddToScore(s.LevelIq, 1);
            ShowScore(s);
        }
    }
    RemoveAt(s.Movers, s.MoverRects, m);
}

void AddExplosion(GameState& s, int16_t x, int16_t y) {
    MoverRecord explosion;
    explosion.X = x;
    explosion.Y = y;
    explosion.Kind = kExplosionKind;
    s.Explosions.push_back(explosion);
}

void RemoveExplosion(GameState& s, int16_t i) {
    RemoveAt(s.Explosions, i);
}

void AdvanceAnimation(GameState& s, MoverRecord& m) {
    if (m.Kind < 0 || static_cast<size_t>(m.Kind) >= s.Animations.size()) return;
    const AnimationRecord& a = s.Animations[static_cast<size_t>(m.Kind)];
    m.FrameTimer = static_cast<int16_t>(m.FrameTimer + 1);
    if (m.FrameTimer < a.FrameSteps) return;
    m.Frame = static_cast<int16_t>(m.Frame + 1);
    m.FrameTimer = 0;
    if (m.Frame >= a.Frames && m.Kind != kExplosionKind) m.Frame = 0;
}

}  // namespace ZapModule
