// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/pointer_steering.h"

#include "game/input.h"

namespace ZapModule {

void PointerSteering::Tap(int y) {
    deliver_(true, kKeySpace);
    deliver_(false, kKeySpace);
    steering_ = true;
    PointAt(y);
}

void PointerSteering::PointAt(int y) {
    over_ = true;
    y_ = y;
}

void PointerSteering::LetGo() {
    over_ = false;
    Hold(0);
}

void PointerSteering::FingerDown(int x, int y) {
    LetGo();
    finger_ = Finger{x, y, clock_(), false};
    y_ = y;
}

void PointerSteering::FingerMove(int x, int y) {
    if (!finger_) return;
    y_ = y;
    const int dx = x - finger_->x;
    const int dy = y - finger_->y;
    if (dx * dx + dy * dy > kTapSlack * kTapSlack) Follow();
}

void PointerSteering::FingerUp(bool cancelled) {
    if (!finger_) return;
    const bool tap = !cancelled && !finger_->following && clock_() - finger_->since < kTapMillis;
    finger_.reset();
    if (tap) Tap(y_);
    LetGo();
}

void PointerSteering::Follow() {
    finger_->following = true;
    steering_ = true;
    over_ = true;
}

void PointerSteering::PlayerKey(bool down, int code) {
    if (code != kKeyUp && code != kKeyDown) return;
    (code == kKeyUp ? playerUp_ : playerDown_) = down;
    if (!down) return;
    // Let go first: the player's own press of the same key must stay down.
    Hold(0);
    steering_ = false;
}

void PointerSteering::BeforeStep(const GameState& s) {
    if (finger_ && !finger_->following && clock_() - finger_->since >= kTapMillis) Follow();
    if (!steering_ || !over_ || playerUp_ || playerDown_ || s.Paused == kTrue) return;
    const int gap = y_ - (s.BatTop + s.BatHeight / 2);
    Hold(gap > kStep ? kKeyDown : gap < -kStep ? kKeyUp : 0);
}

void PointerSteering::Hold(int code) {
    if (held_ == code) return;
    if (held_ != 0) deliver_(false, held_);
    held_ = code;
    if (held_ != 0) deliver_(true, held_);
}

}  // namespace ZapModule
