// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/balls.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

#include "model/field_geometry.h"
#include "model/hidden_names.h"
#include "ports/window_port.h"
#include "sound/sound.h"
#include "values/rounding.h"

namespace ZapModule {

namespace {

constexpr int16_t kDeathDelay = 100;
constexpr float kSpeedFloor = 0.3f;
constexpr float kSpeedCap = 4;
// A ball that bounces off a block's side or face is put a pixel clear of it: past its right or
// bottom edge, or its own size and one more before its left or top edge.
constexpr int32_t kClearRight = kCellWidth + 1;
constexpr int32_t kClearBelow = kCellHeight + 1;
constexpr int32_t kClearBefore = kBallSize + 1;

// Game-logic float arithmetic runs in double and is stored back as float.
void Store(float& field, double value) {
    field = static_cast<float>(value);
}

}  // namespace

void UpdateRects(GameState& s) {
    s.BatRect.Top = s.BatTop;
    s.BatRect.Bottom = s.BatTop + s.BatHeight;
    s.BallRects.resize(s.Balls.size());
    for (size_t i = 0; i < s.Balls.size(); ++i) {
        const BallRecord& ball = s.Balls[i];
        s.BallRects[i] = {RoundToInt32(ball.X), RoundToInt32(ball.Y),
                          RoundToInt32(double{ball.X} + kBallSize),
                          RoundToInt32(double{ball.Y} + kBallSize)};
    }
    s.MoverRects.resize(s.Movers.size());
    for (size_t i = 0; i < s.Movers.size(); ++i) {
        const MoverRecord& m = s.Movers[i];
        const AnimationRecord a = AnimationOf(s, m.Kind);
        s.MoverRects[i] = {RoundToInt32(m.X), RoundToInt32(m.Y),
                           RoundToInt32(double{m.X} + a.FrameWidth),
                           RoundToInt32(double{m.Y} + a.FrameHeight)};
    }
}

bool HitTest(Rect& intersection, const Rect& a, const Rect& b) {
    IntersectRect(intersection, a, b);
    return intersection.Left != 0 && intersection.Top != 0 && intersection.Right != 0 &&
           intersection.Bottom != 0;
}

int16_t FirstHit(Rect& intersection, const Rect& a, const std::vector<Rect>& rects, int16_t count) {
    const int n = std::min<int>(count, static_cast<int>(rects.size()));
    for (int j = 0; j < n; ++j) {
        // A cheap screen first: most rectangles lie wholly above, below or beside `a`.
        const Rect& r = rects[j];
        if (r.Top >= a.Bottom || a.Top >= r.Bottom || r.Left >= a.Right || a.Left >= r.Right)
            continue;
        if (HitTest(intersection, a, r)) return static_cast<int16_t>(j);
    }
    return -1;
}

void ServeBall(GameState& s) {
    BallRecord ball;
    ball.X = static_cast<float>(kServeX);
    Store(ball.Y, s.BatHeight / 2.0 + s.BatTop - 6);
    ball.Dx = -2;
    ball.Dy = 1;
    ball.Stuck = kTrue;
    ball.Follows = kTrue;
    s.Balls.push_back(ball);
    s.BallRects.push_back(Rect{});
}

void FollowBat(GameState& s, int16_t distance) {
    for (BallRecord& ball : s.Balls) {
        if (ball.Follows != kTrue) continue;
        Store(ball.Y, double{ball.Y} + distance);
        if (ball.Y < 0) ball.Y = 0;
        if (ball.Y > kBallBottomLimit) ball.Y = static_cast<float>(kBallBottomLimit);
    }
}

void BounceOffBat(GameState& s, int16_t b, int16_t intersectionTop) {
    BallRecord& ball = s.Balls[b];
    const int16_t a = static_cast<int16_t>(std::abs(intersectionTop - s.BatTop));
    const int16_t p = static_cast<int16_t>(a * 100);
    Store(ball.Dy, double{ball.Dy} + (static_cast<double>(p) / s.BatHeight) / 100 * 2 - 1);
    ball.Dx = -ball.Dx;
}

void BounceOffBlock(GameState& s, int16_t b, const Rect& intersection, int16_t bx, int16_t by) {
    BallRecord& ball = s.Balls[b];
    const int16_t w = static_cast<int16_t>(intersection.Right - intersection.Left);
    const int16_t h = static_cast<int16_t>(intersection.Bottom - intersection.Top);
    if (w < h) {  // a side hit
        ball.Dx = -ball.Dx;
        if (bx + kClearRight > ball.X && ball.Dx > 0) ball.X = static_cast<float>(bx + kClearRight);
        if (bx > ball.X && ball.Dx < 0) ball.X = static_cast<float>(bx - kClearBefore);
    } else if (h < w) {  // a top or bottom hit
        ball.Dy = -ball.Dy;
        if (by + kClearBelow > ball.Y && ball.Dy > 0) ball.Y = static_cast<float>(by + kClearBelow);
        if (by > ball.Y && ball.Dy < 0) ball.Y = static_cast<float>(by - kClearBefore);
    } else {  // a corner: faster across, slower along, the ball stays where it is
        Store(ball.Dx, -double{ball.Dx} * 1.2);
        Store(ball.Dy, -double{ball.Dy} * 0.8);
    }
}

void BounceOffMover(GameState& s, int16_t b) {
    BallRecord& ball = s.Balls[b];
    const float r = s.Random.Next();
    Store(ball.Dy, double{r} * 3);
    Store(ball.Dx, (1 - double{r}) * 3);
    if (s.BallSpeedMode == kFastSpeed) {
        Store(ball.Dx, double{ball.Dx} * 3);
        Store(ball.Dy, double{ball.Dy} * 3);
    } else if (s.BallSpeedMode == kSlowSpeed) {
        Store(ball.Dx, double{ball.Dx} * 0.2);
        Store(ball.Dy, double{ball.Dy} * 0.2);
    }
    if (r < 0.5) ball.Dx = -ball.Dx;
    if (r > 0.4f) ball.Dy = -ball.Dy;
}

void MoveBall(GameState& s, int16_t b) {
    if (s.Balls[b].Stuck != 0) return;
    BallRecord& ball = s.Balls[b];
    if (ball.X < kStopLine) Store(ball.X, double{ball.X} + ball.Dx);
    if (ball.X < kStopLine) Store(ball.Y, double{ball.Y} + ball.Dy);

    if (ball.X > kLostLine && s.WallOn == kFalse) {
        if (ball.DeathDelay == 0) {
            PlaySound(s, Effect::Die);
            if (!IsHiddenModeName(s.PlayerName) && s.BallCount() == 1) --s.BallsLeft;
            s.Window->SetLabel1Text(0, std::to_string(s.BallsLeft));
        }
        ball.DeathDelay = kDeathDelay;
    }
    if (ball.X > kWallLine && s.WallOn == kTrue) {
        ball.Dx = -ball.Dx;
        PlaySound(s, Effect::Dot);
    }
    if (ball.X < 0) {
        PlaySound(s, Effect::Dot);
        ball.Dx = -ball.Dx;
        ball.X = 0;
    }
    if (ball.Y < 0) {
        PlaySound(s, Effect::Dot);
        ball.Dy = -ball.Dy;
        ball.Y = 0;
    }
    if (ball.Y > kBallBottomLimit) {
        PlaySound(s, Effect::Dot);
        ball.Dy = -ball.Dy;
        ball.Y = static_cast<float>(kBallBottomLimit);
    }

    if (ball.Dy == 0) ball.Dy = kSpeedFloor;
    if (ball.Dx == 0) ball.Dx = kSpeedFloor;
    if (s.BallSpeedMode == kNormalSpeed) {
        // Only positive speeds are capped; a fast ball moving left or up keeps its size.
        if (ball.Dy > kSpeedCap) ball.Dy = kSpeedCap;
        if (ball.Dx > kSpeedCap) ball.Dx = kSpeedCap;
        if (std::fabs(double{ball.Dx}) + std::fabs(double{ball.Dy}) <= 2) {
            Store(ball.Dy, double{ball.Dy} * 1.2);
            Store(ball.Dx, double{ball.Dx} * 1.2);
        }
    }
}

void RunDeathTimer(GameState& s, int16_t b) {
    BallRecord& ball = s.Balls[b];
    if (ball.DeathDelay <= 0) return;
    ++ball.DeathTimer;
    if (ball.DeathTimer >= ball.DeathDelay) {
        ball.DeathTimer = 0;
        ball.DeathDelay = 0;
        ball.Dead = kTrue;
    }
}

}  // namespace ZapModule
