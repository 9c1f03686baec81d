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

void PointerSteering::PointerGone() {
    over_ = false;
    Hold(0);
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
