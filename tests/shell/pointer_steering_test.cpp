// SPDX-License-Identifier: GPL-3.0-or-later
// The bat steered by a pointer: the keys it hands to the rules, and where real steps take the bat.

#include "shell/pointer_steering.h"

#include <cstdlib>
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
    // Paused, the held key stays; with the pointer gone it goes up.
    s.Paused = kTrue;
    steering.PointAt(0);
    steering.BeforeStep(s);
    steering.PointerGone();
    EXPECT_EQ(Handed(), (Keys{{false, kKeyDown}}));
}

}  // namespace
}  // namespace ZapModule
