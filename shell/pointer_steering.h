// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The bat steered by a pointer (the mouse, a finger) as a player steers it with the arrow keys.
// A tap or a click on the field is Space and hands the bat to the pointer; from then on, between
// two game steps, the steering holds Up or Down, exactly as a player holds the key, while the
// bat's centre is more than a step away from the pointer's height, and lets go once it is within
// a step. It hands its keys to the rules through the path the player's keys take, so the rules
// and a game's recording see nothing but ordinary key presses and releases, and the bat moves no
// faster than under the keyboard. An arrow key of the player (keyboard or controller) hands the
// bat back to the keys until the next tap.
//
// The mouse clicks (Space at once) and then steers wherever it is over the field. A finger is a
// tap only when it is lifted within kTapMillis of touching and has stayed within kTapSlack of
// where it touched; until it can no longer be one, the bat stays where it is, so a serving tap
// never drags the bat and the ball resting on it. A finger that stays longer or moves farther
// takes the bat and steers it to its height until it is lifted, and is no tap.

#include <functional>
#include <optional>
#include <utility>

#include "model/state.h"

namespace ZapModule {

class PointerSteering {
  public:
    // Hands a key to the rules as the window hands the player's keys: down or up, the key code.
    using Deliver = std::function<void(bool down, int code)>;
    // Milliseconds, never going back: the time a finger has been on the field.
    using Clock = std::function<double()>;
    // A frontend without fingers (the desktop's field takes the mouse only) needs no clock.
    explicit PointerSteering(
        Deliver deliver, Clock clock = [] { return 0.0; })
        : deliver_(std::move(deliver)), clock_(std::move(clock)) {}

    // A tap or a click on the field at height `y` (field pixels): Space goes down and up, and
    // the bat follows the pointer from the next step on.
    void Tap(int y);
    // The pointer is over the field at height `y`.
    void PointAt(int y);

    // A finger touched the field or moved on it, at (x, y) in field pixels.
    void FingerDown(int x, int y);
    void FingerMove(int x, int y);
    // The finger was lifted, or taken by the system (`cancelled`: never a tap).
    void FingerUp(bool cancelled);

    // A key of the player on its way to the rules; call it just before the key is delivered. An
    // arrow going down takes the bat back from the pointer; while the player holds an arrow
    // the pointer does not steer.
    void PlayerKey(bool down, int code);
    // Call between two steps, before the next one runs (a call at any other moment between
    // steps does no harm): presses or releases the arrows so that the step moves the bat
    // towards the pointer. A paused game is left alone.
    void BeforeStep(const GameState& s);

    // The pointer has the bat.
    bool Steering() const { return steering_; }

    // How far the bat moves in a step: within it the bat's centre is where the pointer is.
    static constexpr int kStep = 3;
    // The longest touch, and the farthest a finger may wander (field pixels), that is a tap.
    static constexpr double kTapMillis = 500;
    static constexpr int kTapSlack = 12;

  private:
    // Holds `code` (Up, Down, or 0 for neither), letting go of the other key first.
    void Hold(int code);
    // The pointer is gone (a finger lifted, or not yet known to steer): the held key goes up and
    // the bat stays where it is.
    void LetGo();
    // The finger down is no tap: it takes the bat.
    void Follow();

    struct Finger {
        int x;  // where it touched
        int y;
        double since;
        bool following;  // it steers, no longer a tap
    };

    Deliver deliver_;
    Clock clock_;
    bool steering_ = false;
    bool over_ = false;  // the pointer is over the field, at y_
    int y_ = 0;
    int held_ = 0;  // the arrow the steering holds down, 0 for none
    bool playerUp_ = false;
    bool playerDown_ = false;
    std::optional<Finger> finger_;
};

}  // namespace ZapModule
