// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/input.h"

#include <string>

#include "game/level_flow.h"
#include "game/replay.h"
#include "ports/window_port.h"
#include "sound/sound.h"

namespace ZapModule {

namespace {

constexpr int16_t kQuitSteps = 20;

bool TimerRunning(const GameState& s) {
    return s.Window->TimerInterval() == 1;
}

void ReleaseBalls(GameState& s) {
    for (BallRecord& ball : s.Balls) {
        if (ball.Follows != kTrue) continue;
        ball.Stuck = kFalse;
        ball.Follows = kFalse;
    }
}

}  // namespace

void FieldKeyDown(GameState& s, int keyCode) {
    if (s.Recorder) s.Recorder->Input(s, ReplayInput::KeyDown, keyCode);
    switch (keyCode) {
        case kKeyEscape:
            if (TimerRunning(s)) ActivateDeath(s);
            break;
        case kKeySpace:
            if (s.ButtonDown[0] == kFalse) {
                s.ButtonDown[0] = kTrue;
                StartPlay(s);
            } else {
                ReleaseBalls(s);
            }
            break;
        case kKeyUp:
            s.MovingUp = kTrue;
            break;
        case kKeyDown:
            s.MovingDown = kTrue;
            break;
        case kKeyP:
            s.Paused = static_cast<Flag>(~s.Paused);
            break;
        default:
            break;
    }
}

void FieldKeyUp(GameState& s, int keyCode) {
    if (s.Recorder) s.Recorder->Input(s, ReplayInput::KeyUp, keyCode);
    if (keyCode == kKeyUp) s.MovingUp = kFalse;
    if (keyCode == kKeyDown) s.MovingDown = kFalse;
}

void ScreenMouseDown(GameState& s, int32_t x, int32_t y) {
    if (s.Recorder) s.Recorder->Input(s, ReplayInput::Click, x, y);
    if (PtInRect(s.ButtonRects[0], x, y) && s.ButtonDown[0] != kTrue) {
        s.ButtonDown[0] = kTrue;
        StartPlay(s);
    } else if (PtInRect(s.ButtonRects[1], x, y) && TimerRunning(s)) {
        ActivateDeath(s);
    }
}

void StartPlay(GameState& s) {
    PlaySound(s, Effect::Wall);
    if (s.Window->TimerInterval() != 0) return;
    s.Window->SetTimerInterval(1);
    s.Window->SetLabel1Text(0, std::to_string(s.BallsLeft));
    s.Window->SetLabel1Text(1, std::to_string(s.Iq));
    s.Window->SetLabel1Text(2, std::to_string(static_cast<int16_t>(s.Level + 1)));
    ShowBetweenLevelMessages(s, false);
}

void ActivateDeath(GameState& s) {
    PlaySound(s, Effect::Wall);
    s.ButtonDown[1] = kTrue;
    s.QuitCountdown = kQuitSteps;
}

}  // namespace ZapModule
