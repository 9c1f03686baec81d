// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/tick.h"

#include <algorithm>

#include "game/balls.h"
#include "game/bricks.h"
#include "game/level_flow.h"
#include "game/movers.h"
#include "graphics/sprites.h"
#include "ports/window_port.h"
#include "sound/sound.h"
#include "values/rounding.h"

namespace ZapModule {

namespace {

constexpr int16_t kBatStep = 3;
constexpr float kSpawnChance = 0.995f;
constexpr int16_t kWallStep = 10;

// A: the held arrow keys move the bat; the clamps always correct the resting balls by 3.
void MoveBat(GameState& s) {
    if (s.MovingUp == kTrue) {
        s.BatTop = static_cast<int16_t>(s.BatTop - kBatStep);
        FollowBat(s, -kBatStep);
    }
    if (s.MovingDown == kTrue) {
        s.BatTop = static_cast<int16_t>(s.BatTop + kBatStep);
        FollowBat(s, kBatStep);
    }
    if (s.BatTop < 0) {
        s.BatTop = 0;
        FollowBat(s, kBatStep);
    }
    if (s.BatTop + s.BatHeight > kFieldHeight) {
        s.BatTop = static_cast<int16_t>(kFieldHeight - s.BatHeight);
        FollowBat(s, -kBatStep);
    }
}

// The box around every brick: within one step bricks are only removed, never added or moved, so
// the box taken after phase D stays around every brick left. A ball or mover outside it needs no
// brick scan, which is where balls spend most of their time.
Rect BoundsOf(const std::vector<Rect>& rects) {
    if (rects.empty()) return {};
    Rect box = rects.front();
    for (const Rect& r : rects) {
        box.Left = std::min(box.Left, r.Left);
        box.Top = std::min(box.Top, r.Top);
        box.Right = std::max(box.Right, r.Right);
        box.Bottom = std::max(box.Bottom, r.Bottom);
    }
    return box;
}

// The lowest brick that `a` hits, or -1; `bricks` is the box of BoundsOf.
int16_t FirstBrickHit(const GameState& s, Rect& hit, const Rect& a, const Rect& bricks) {
    if (a.Left >= bricks.Right || bricks.Left >= a.Right || a.Top >= bricks.Bottom ||
        bricks.Top >= a.Bottom)
        return -1;
    return FirstHit(hit, a, s.BrickRects, s.BrickCount());
}

// B: a cleared level switches once no explosion plays. True when it switched.
bool SwitchLevel(GameState& s) {
    if (s.LevelDone != kTrue || s.ExplosionCount() != 0) return false;
    s.LevelDone = kFalse;
    s.Kind5Present = kFalse;
    NextLevel(s);
    s.Field.FillBlack(0, 0, kFieldWidth, kFieldHeight);
    s.Window->RefreshField();
    s.Window->ReloadBackground();
    s.ButtonDown[0] = kFalse;
    return true;
}

// C: maybe one new mover.
void MaybeSpawnMover(GameState& s) {
    if (s.MoverCount() < 5 && s.Random.Next() > kSpawnChance) SpawnMover(s);
}

// E: movers bounce off one brick and one bonus, die on the bat, move. A removal ends the phase.
void RunMovers(GameState& s, const Rect& bricks) {
    const int16_t count = s.MoverCount();
    for (int16_t m = 0; m < count; ++m) {
        Rect hit;
        if (FirstBrickHit(s, hit, s.MoverRects[m], bricks) >= 0) BounceMover(s, m, hit);
        if (FirstHit(hit, s.MoverRects[m], s.BonusRects, s.BonusCount()) >= 0)
            BounceMover(s, m, hit);
        if (HitTest(hit, s.BatRect, s.MoverRects[m])) {
            PlaySound(s, Effect::Bum);
            AddExplosion(s, RoundToInt16(s.Movers[m].X), RoundToInt16(s.Movers[m].Y));
            RemoveMover(s, m, -1);
            return;
        }
        if (MoveMover(s, m)) return;
    }
}

// F, for ball b: at most one bonus, one brick, one mover and the bat, in that order.
void CollideBall(GameState& s, int16_t b, const Rect& bricks) {
    Rect hit;
    if (const int16_t j = FirstHit(hit, s.BallRects[b], s.BonusRects, s.BonusCount()); j >= 0) {
        const BonusRecord bonus = s.Bonuses[j];
        PlaySound(s, Effect::Effect2);
        if (s.Piercing != kTrue) BounceOffBlock(s, b, hit, bonus.X, bonus.Y);
        AddExplosion(s, bonus.X, bonus.Y);
        ApplyBonus(s, bonus.Kind, b, j);
        RemoveBonus(s, j);
    }
    if (const int16_t j = FirstBrickHit(s, hit, s.BallRects[b], bricks); j >= 0)
        HitBrick(s, b, j, hit);
    if (const int16_t j = FirstHit(hit, s.BallRects[b], s.MoverRects, s.MoverCount()); j >= 0) {
        PlaySound(s, Effect::Bum);
        AddExplosion(s, RoundToInt16(s.Movers[j].X), RoundToInt16(s.Movers[j].Y));
        RemoveMover(s, j, b);
        if (s.Piercing != kTrue) BounceOffMover(s, b);
    }
    if (HitTest(hit, s.BatRect, s.BallRects[b])) {
        PlaySound(s, Effect::Palka);
        if (s.Balls[b].Dx > 0) s.Balls[b].X = static_cast<float>(kServeX);
        BounceOffBat(s, b, static_cast<int16_t>(hit.Top));
        if (s.StickyBat == kTrue) {
            s.Balls[b].Stuck = kTrue;
            s.Balls[b].Follows = kTrue;
        }
    }
}

// F: every ball in index order. A dead ball ends the phase: it is removed once no explosion
// plays, and until then it keeps the balls after it still. True when a game over unloaded.
bool RunBalls(GameState& s, const Rect& bricks) {
    const int16_t count = s.BallCount();
    for (int16_t b = 0; b < count; ++b) {
        if (s.Balls[b].Dead == kTrue) {
            if (s.ExplosionCount() == 0) {
                RemoveBall(s, b);
                if (s.Unloaded == kTrue) return true;
                if (s.BallCount() == 0) ServeBall(s);
            }
            return false;
        }
        CollideBall(s, b, bricks);
        MoveBall(s, b);
        RunDeathTimer(s, b);
    }
    return false;
}

// G: steel bricks flash for a few steps after a hit.
void CountFlashes(GameState& s) {
    for (BrickRecord& brick : s.Bricks)
        if (brick.Type == kTypeSteel && brick.Flash > 0) --brick.Flash;
}

// H: uncollected bonuses age; at most one vanishes per step.
void AgeBonuses(GameState& s) {
    const int16_t count = s.BonusCount();
    for (int16_t j = 0; j < count; ++j) {
        BonusRecord& bonus = s.Bonuses[j];
        if (bonus.Life > 0) --bonus.Life;
        if (bonus.Life <= 0) {
            RemoveBonus(s, j);
            return;
        }
    }
}

// I: timed bonuses run out.
void CountBonusTimers(GameState& s) {
    for (int16_t kind = 1; kind <= kBonusKinds; ++kind) {
        int16_t& timer = s.BonusTimers[kind];
        if (timer > 0) --timer;
        if (timer == 0) {
            PlaySound(s, Effect::Effect2);
            EndBonus(s, kind);
        }
    }
}

// J 7: explosions play once; at most one ends per step, and those after it wait a step.
void DrawExplosions(GameState& s) {
    const int16_t count = s.ExplosionCount();
    const int16_t frames = AnimationOf(s, kExplosionKind).Frames;
    for (int16_t i = 0; i < count; ++i) {
        AdvanceAnimation(s, s.Explosions[i]);
        DrawAnimation(s, s.Explosions[i]);
        if (s.Explosions[i].Frame >= frames) {
            RemoveExplosion(s, i);
            return;
        }
    }
}

// J 8: the wall grows in, stands, or shrinks away and switches off.
void DrawAndGrowWall(GameState& s) {
    if (s.WallOn != kTrue) return;
    DrawWall(s);
    if (s.WallS == kWallGrowing) {
        s.WallHeight = static_cast<int16_t>(s.WallHeight + kWallStep);
        if (s.WallHeight >= WallPictureHeight(s)) s.WallS = kWallStanding;
    } else if (s.WallS == kWallShrinking) {
        s.WallHeight = static_cast<int16_t>(s.WallHeight - kWallStep);
        if (s.WallHeight <= 0) {
            s.WallS = kWallGrowing;
            s.WallHeight = 0;
            s.WallOn = kFalse;
        }
    }
}

// J 1-9: the whole field, redrawn and shown with one refresh. Without a field surface (a
// headless run) nothing is drawn; the animations' frame counters, which the rules depend on,
// advance all the same.
void DrawField(GameState& s) {
    const bool drawing = !s.Field.Empty();
    s.Field.FillBlack(0, 0, kFieldWidth, kFieldHeight);
    if (drawing && s.LevelDone == kFalse)
        for (const BallRecord& ball : s.Balls)
            if (ball.Dead == kFalse) DrawBall(s, ball);
    if (drawing) DrawBat(s);
    for (MoverRecord& mover : s.Movers) {
        AdvanceAnimation(s, mover);
        DrawAnimation(s, mover);
    }
    if (drawing) {
        for (const BrickRecord& brick : s.Bricks) DrawBrick(s, brick);
        for (const BonusRecord& bonus : s.Bonuses) DrawBonus(s, bonus);
    }
    DrawExplosions(s);
    DrawAndGrowWall(s);
    s.Window->RefreshField();
}

// J 10-11: the pressed screen buttons, and the quit countdown. True when the screen unloaded.
bool DrawButtonsAndCountDown(GameState& s) {
    for (int i = 0; i < 2; ++i)
        if (s.ButtonDown[i] == kTrue) s.Window->DrawButtonPressed(i);
    if (s.ButtonDown[1] != kTrue) return false;
    --s.QuitCountdown;
    if (s.QuitCountdown >= 1) return false;
    s.Unloaded = kTrue;
    s.Window->UnloadGameScreen();
    return true;
}

}  // namespace

StepResult GameStep(GameState& s) {
    ++s.Steps;                                             // counted for recordings
    MoveBat(s);                                            // A: the bat
    if (SwitchLevel(s)) return StepResult::LevelSwitched;  // B: level switch
    MaybeSpawnMover(s);                                    // C: spawning
    UpdateRects(s);                                        // D: collision rectangles
    const Rect bricks = BoundsOf(s.BrickRects);
    RunMovers(s, bricks);                                         // E: movers
    if (RunBalls(s, bricks)) return StepResult::Unloaded;         // F: balls
    CountFlashes(s);                                              // G: steel flashes
    AgeBonuses(s);                                                // H: bonus life
    CountBonusTimers(s);                                          // I: bonus timers
    DrawField(s);                                                 // J 1-9: drawing
    if (DrawButtonsAndCountDown(s)) return StepResult::Unloaded;  // J 10-11: buttons, quit
    UpdateSound(s);                                               // J 12: the sound's step
    return StepResult::Continue;
}

PassResult LoopPass(GameState& s) {
    s.IdlePasses = static_cast<int16_t>(s.IdlePasses + 1);
    if (s.IdlePasses < s.Tick) return PassResult::Idle;
    s.IdlePasses = 0;
    if (s.Paused == kTrue) return PassResult::Paused;
    switch (GameStep(s)) {
        case StepResult::LevelSwitched:
            return PassResult::LevelSwitched;
        case StepResult::Unloaded:
            return PassResult::Unloaded;
        default:
            return PassResult::Stepped;
    }
}

void CreditIdlePasses(GameState& s, int64_t passes) {
    const int64_t credit = std::min<int64_t>(passes, PassesUntilStep(s) - 1);
    if (credit > 0) s.IdlePasses = static_cast<int16_t>(s.IdlePasses + credit);
}

int32_t PassesUntilStep(const GameState& s) {
    return std::max(1, s.Tick - s.IdlePasses);
}

}  // namespace ZapModule
