// SPDX-License-Identifier: GPL-3.0-or-later
// The bat steered by a pointer: the keys it hands to the rules, and where real steps take the bat.

#include "shell/pointer_steering.h"

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "game/input.h"
#include "game/tick.h"
#include "tests/game/game_fixture.h"

namespace ZapModule {
namespace {

using Keys = std::vector<std::pair<bool, int>>;
const Keys kSpace{{true, kKeySpace}, {false, kKeySpace}};

class PointerSteeringTest : public GameFixture {
  protected:
    void Deliver(bool down, int code) { down ? FieldKeyDown(s, code) : FieldKeyUp(s, code); }
    void Player(bool down, int code) {
        steering.PlayerKey(down, code);
        Deliver(down, code);
    }
    Keys Handed() { return std::exchange(handed, {}); }

    Keys handed;
    PointerSteering steering{[this](bool down, int code) {
        handed.emplace_back(down, code);
        if (code != kKeySpace) Deliver(down, code);  // the ball stays on the bat
    }};
};

TEST_F(PointerSteeringTest, TheBatGoesToThePointerAtMostAStepAtATimeAndStopsWithinAStep) {
    const struct {
        int16_t BatTop;  // the bat's centre is 30 lower
        int PointerY;
        Keys Expected;
    } cases[] = {{100, 200, {{true, kKeyDown}, {false, kKeyDown}}},
                 {300, 50, {{true, kKeyUp}, {false, kKeyUp}}},
                 {100, 133, {}},
                 {100, 127, {}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.PointerY);
        s.BatTop = c.BatTop;
        steering.Tap(c.PointerY);
        EXPECT_EQ(Handed(), kSpace);
        for (int step = 0; step < 120; ++step) {
            steering.BeforeStep(s);
            const int before = s.BatTop;
            GameStep(s);
            ASSERT_LE(std::abs(s.BatTop - before), PointerSteering::kStep);
        }
        EXPECT_EQ(Handed(), c.Expected);
        EXPECT_LE(std::abs(c.PointerY - (s.BatTop + 30)), PointerSteering::kStep);
    }
}

TEST_F(PointerSteeringTest, OnlyATapHandsTheBatOverAndThePlayersArrowsTakeItBack) {
    s.BatTop = 100;
    steering.PointAt(300);  // a pointer that merely lies over the field does nothing
    steering.BeforeStep(s);
    EXPECT_EQ(Handed(), Keys{});
    steering.Tap(300);
    steering.BeforeStep(s);
    EXPECT_EQ(Handed(), (Keys{kSpace[0], kSpace[1], {true, kKeyDown}}));
    // The steering lets go of Down before the player's Down, which stays held.
    Player(true, kKeyDown);
    EXPECT_EQ(Handed(), (Keys{{false, kKeyDown}}));
    EXPECT_EQ(s.MovingDown, kTrue);
    Player(false, kKeyDown);
    steering.BeforeStep(s);
    EXPECT_EQ(Handed(), Keys{});
    // Tapped while the player holds an arrow, it steers once the arrow is up.
    Player(true, kKeyUp);
    steering.Tap(300);
    steering.BeforeStep(s);
    EXPECT_EQ(Handed(), kSpace);
    Player(false, kKeyUp);
    steering.BeforeStep(s);
    EXPECT_EQ(Handed(), (Keys{{true, kKeyDown}}));
    // Paused, the held key stays; a finger touching lets go of it until it steers.
    s.Paused = kTrue;
    steering.PointAt(0);
    steering.BeforeStep(s);
    steering.FingerDown(0, 0);
    EXPECT_EQ(Handed(), (Keys{{false, kKeyDown}}));
}

// A finger taps, or steers, never both: until it is no tap, the bat stays, even once a tap or a
// click has handed it to the pointer; a tap it is only when lifted soon and near.
TEST_F(PointerSteeringTest, AFingerIsATapOrItSteersAndUntilItIsNoTapTheBatStays) {
    enum Gesture { Down, Move, Step, Up, Cancel };
    struct Event {
        double Millis;
        Gesture What;
        int X = 0;
        int Y = 0;
    };
    const Keys steered{{true, kKeyDown}, {false, kKeyDown}};  // the bat's centre is at 130
    const struct {
        std::string Name;
        std::vector<Event> Events;
        Keys Expected;
    } cases[] = {
        {"a still tap held a while",
         {{0, Down, 200, 300}, {100, Step}, {499, Step}, {499, Up}},
         kSpace},
        {"a tap wandering within the slack",
         {{0, Down, 200, 300}, {50, Move, 206, 308}, {100, Step}, {400, Up}},
         kSpace},
        {"a finger staying past the tap time",
         {{0, Down, 200, 300}, {499, Step}, {500, Step}, {600, Up}},
         steered},
        {"a finger moving beyond the slack",
         {{0, Down, 200, 300}, {50, Move, 200, 313}, {60, Step}, {100, Up}},
         steered},
        {"a finger lifted late with no step in between", {{0, Down, 200, 300}, {500, Up}}, {}},
        {"a touch the system took", {{0, Down, 200, 300}, {100, Cancel}}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        double now = 0;
        PointerSteering finger{[this](bool down, int code) { handed.emplace_back(down, code); },
                               [&now] { return now; }};
        s.BatTop = 100;
        finger.Tap(130);  // a serve by the mouse: the pointer has the bat, which is where it is
        finger.BeforeStep(s);
        Handed();
        for (const Event& e : c.Events) {
            now = e.Millis;
            if (e.What == Down) finger.FingerDown(e.X, e.Y);
            if (e.What == Move) finger.FingerMove(e.X, e.Y);
            if (e.What == Step) finger.BeforeStep(s);
            if (e.What == Up || e.What == Cancel) finger.FingerUp(e.What == Cancel);
        }
        EXPECT_EQ(Handed(), c.Expected);
    }
}

}  // namespace
}  // namespace ZapModule
