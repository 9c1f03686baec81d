// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/bricks.h"

#include <algorithm>
#include <limits>
#include <string>

#include "game/balls.h"
#include "game/movers.h"
#include "game/score.h"
#include "ports/window_port.h"
#include "sound/sound.h"
#include "values/rounding.h"

namespace ZapModule {

namespace {

constexpr int16_t kSteelFlash = 10;
constexpr int16_t kLongTimer = 3000;
constexpr int16_t kPiercingTimer = 1000;

void StartTimer(GameState& s, int16_t kind, int16_t steps) {
    s.BonusTimers[kind] = steps;
}

void ScaleBallSpeeds(GameState& s, double factor) {
    for (BallRecord& ball : s.Balls) {
        ball.Dx = static_cast<float>(double{ball.Dx} * factor);
        ball.Dy = static_cast<float>(double{ball.Dy} * factor);
    }
}

bool IsNeighbourCell(const BrickRecord& brick, int x0, int y0) {
    const int dx = brick.X - x0;
    const int dy = brick.Y - y0;
    return (dx == -kCellWidth || dx == 0 || dx == kCellWidth) &&
           (dy == -kCellHeight || dy == 0 || dy == kCellHeight) && !(dx == 0 && dy == 0);
}

// The bomb: destroys every brick standing exactly on one of the eight cells around (x0, y0).
void Bomb(GameState& s, int x0, int y0) {
    for (int16_t i = 0; i < s.BrickCount(); ++i)
        if (IsNeighbourCell(s.Bricks[i], x0, y0)) BombBrick(s, i);
}

}  // namespace

void ShowScore(GameState& s) {
    s.Window->SetLabel1Text(1, std::to_string(int64_t{s.Iq} + s.LevelIq));
}

void HitBrick(GameState& s, int16_t b, int16_t j, const Rect& intersection) {
    const BrickRecord brick = s.Bricks[j];
    if (s.Piercing == kTrue) {
        AddExplosion(s, brick.X, brick.Y);
        DestroyBrick(s, j);
        return;
    }
    BounceOffBlock(s, b, intersection, brick.X, brick.Y);
    switch (brick.Type) {
        case kTypeOrdinary:
            AddExplosion(s, brick.X, brick.Y);
            DestroyBrick(s, j);
            break;
        case kTypeDouble:
            if (brick.HitOnce == kTrue) {
                AddExplosion(s, brick.X, brick.Y);
                DestroyBrick(s, j);
            } else {
                PlaySound(s, Effect::Wall);
                s.Bricks[j].HitOnce = kTrue;
            }
            break;
        case kTypeSteel:
            PlaySound(s, Effect::Steel);
            s.Bricks[j].Flash = kSteelFlash;
            break;
        default:  // an unknown type only turns the ball
            break;
    }
}

void DestroyBrick(GameState& s, int16_t j) {
    const BrickRecord brick = s.Bricks[j];
    PlaySound(s, Effect::Bum);
    AddToScore(s.LevelIq, brick.Points);
    ShowScore(s);
    if (brick.Bonus > 0) {
        BonusRecord bonus;
        bonus.X = brick.X;
        bonus.Y = brick.Y;
        bonus.Picture = brick.Bonus;
        bonus.Kind = brick.Bonus;
        bonus.Life = kBonusLife;
        // A kind from 1 to kBonusKinds.
        if (bonus.Picture == Bonus::Surprise)
            bonus.Kind = RoundToInt16((kBonusKinds - 1) * double{s.Random.Next()} + 1);
        s.Bonuses.push_back(bonus);
        s.BonusRects.push_back(CellRect(brick.X, brick.Y));
    }
    RemoveAt(s.Bricks, s.BrickRects, j);
    const auto steel = std::count_if(s.Bricks.begin(), s.Bricks.end(),
                                     [](const BrickRecord& b) { return b.Type == kTypeSteel; });
    if (steel == s.BrickCount()) s.LevelDone = kTrue;
}

void BombBrick(GameState& s, int16_t& i) {
    AddExplosion(s, s.Bricks[i].X, s.Bricks[i].Y);
    DestroyBrick(s, i);
    --i;
}

void RemoveBonus(GameState& s, int16_t k) {
    RemoveAt(s.Bonuses, s.BonusRects, k);
}

void ApplyBonus(GameState& s, int16_t kind, int16_t b, int16_t k) {
    AddToScore(s.LevelIq, 10);
    ShowScore(s);
    switch (kind) {
        case Bonus::LongBat:
            s.BatSize = kLongBat;
            s.BatHeight = kLongBatHeight;
            s.BonusTimers[Bonus::ShortBat] = -1;
            StartTimer(s, kind, kLongTimer);
            break;
        case Bonus::ShortBat:
            s.BatSize = kShortBat;
            s.BatHeight = kShortBatHeight;
            s.BonusTimers[Bonus::LongBat] = -1;
            StartTimer(s, kind, kLongTimer);
            break;
        case Bonus::Wall:  // the wall behind the bat
            s.WallOn = kTrue;
            StartTimer(s, kind, kLongTimer);
            break;
        case Bonus::ExtraBall:  // on the bat
            ServeBall(s);
            break;
        case Bonus::BallKiller:
            PlaySound(s, Effect::Die);
            s.Balls[b].Dead = kTrue;
            break;
        case Bonus::Fast:
            s.BallSpeedMode = kFastSpeed;
            ScaleBallSpeeds(s, 3);
            StartTimer(s, kind, kLongTimer);
            break;
        case Bonus::Slow:
            s.BallSpeedMode = kSlowSpeed;
            ScaleBallSpeeds(s, 0.2);
            StartTimer(s, kind, kLongTimer);
            break;
        case Bonus::Bomb:
            Bomb(s, s.Bonuses[k].X, s.Bonuses[k].Y);
            break;
        case Bonus::SpareBall:
            ++s.BallsLeft;
            s.Window->SetLabel1Text(0, std::to_string(s.BallsLeft));
            break;
        case Bonus::Piercing:
            s.Piercing = kTrue;
            StartTimer(s, kind, kPiercingTimer);
            break;
        case Bonus::StickyBat:
            s.StickyBat = kTrue;
            StartTimer(s, kind, kLongTimer);
            break;
        default:  // any other kind only scores
            break;
    }
}

void EndBonus(GameState& s, int16_t kind) {
    switch (kind) {
        case Bonus::LongBat:
        case Bonus::ShortBat:
            s.BatSize = kNormalBat;
            s.BatHeight = kNormalBatHeight;
            break;
        case Bonus::Wall:
            s.WallS = kWallShrinking;  // the wall shrinks away; the drawing pass clears WallOn when
                                       // it is gone
            break;
        case Bonus::Fast:
        case Bonus::Slow:
            s.BallSpeedMode = kNormalSpeed;
            break;
        case Bonus::Piercing:
            s.Piercing = kFalse;
            break;
        case Bonus::StickyBat:
            s.StickyBat = kFalse;
            break;
        default:  // the other kinds have no timer
            return;
    }
    s.BonusTimers[kind] = -1;
}

void ResetBonusState(GameState& s) {
    s.BatSize = kNormalBat;
    s.BatHeight = kNormalBatHeight;
    s.WallOn = kFalse;
    s.BallSpeedMode = kNormalSpeed;
    s.Piercing = kFalse;
    s.StickyBat = kFalse;
    for (int16_t kind = 1; kind <= kBonusKinds; ++kind) s.BonusTimers[kind] = -1;
}

}  // namespace ZapModule
