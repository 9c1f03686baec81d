#include "game/bricks.h"

#include <algorithm>
#include <limits>
#include <string>

#include "game/balls.h"
#include "game/movers.h"
#include "game/rounding.h"
#include "game/score.h"
#include "game/window_port.h"
#include "sound/sound.h"

namespace ZapModule {

namespace {

constexpr int16_t kSteelFlash = 10;
constexpr int16_t kSurprisePicture = 12;
constexpr int16_t kLongTimer = 3000;
constexpr int16_t kPiercingTimer = 1000;

Rect CellRect(int16_t x, int16_t y) {
    return {x, y, x + 20, y + 25};
}

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
    return (dx == -20 || dx == 0 || dx == 20) && (dy == -25 || dy == 0 || dy == 25) &&
           !(dx == 0 && dy == 0);
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
        if (bonus.Picture == kSurprisePicture)
            bonus.Kind = RoundToInt16(10 * double{s.Random.Next()} + 1);
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
        case 1:  // long bat
            s.BatSize = kLongBat;
            s.BatHeight = kLongBatHeight;
            s.BonusTimers[2] = -1;
            StartTimer(s, kind, kLongTimer);
            break;
        case 2:  // short bat
            s.BatSize = kShortBat;
            s.BatHeight = kShortBatHeight;
            s.BonusTimers[1] = -1;
            StartTimer(s, kind, kLongTimer);
            break;
        case 3:  // the wall behind the bat
            s.WallOn = kTrue;
            StartTimer(s, kind, kLongTimer);
            break;
        case 4:  // an extra ball on the bat
            ServeBall(s);
            break;
        case 5:  // the ball killer
            PlaySound(s, Effect::Die);
            s.Balls[b].Dead = kTrue;
            break;
        case 6:  // fast balls
            s.BallSpeedMode = 1;
            ScaleBallSpeeds(s, 3);
            StartTimer(s, kind, kLongTimer);
            break;
        case 7:  // slow balls
            s.BallSpeedMode = 2;
            ScaleBallSpeeds(s, 0.2);
            StartTimer(s, kind, kLongTimer);
            break;
        case 8:  // the bomb
            Bomb(s, s.Bonuses[k].X, s.Bonuses[k].Y);
            break;
        case 9:  // an extra spare ball
            ++s.BallsLeft;
            s.Window->SetLabel1Text(0, std::to_string(s.BallsLeft));
            break;
        case 10:  // piercing balls
            s.Piercing = kTrue;
            StartTimer(s, kind, kPiercingTimer);
            break;
        case 11:  // the sticky bat
            s.StickyBat = kTrue;
            StartTimer(s, kind, kLongTimer);
            break;
        default:  // any other kind only scores
            break;
    }
}

void EndBonus(GameState& s, int16_t kind) {
    switch (kind) {
        case 1:
        case 2:
            s.BatSize = kNormalBat;
            s.BatHeight = kNormalBatHeight;
            break;
        case 3:
            s.WallS = kWallShrinking;  // the wall shrinks away; the drawing pass clears WallOn when
                                       // it is gone
            break;
        case 6:
        case 7:
            s.BallSpeedMode = 0;
            break;
        case 10:
            s.Piercing = kFalse;
            break;
        case 11:
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
    s.BallSpeedMode = 0;
    s.Piercing = kFalse;
    s.StickyBat = kFalse;
    for (int16_t kind = 1; kind <= 11; ++kind) s.BonusTimers[kind] = -1;
}

}  // namespace ZapModule
