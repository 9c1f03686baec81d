// SPDX-License-Identifier: GPL-3.0-or-later
// A game controller on the game screen, through SDL's virtual joystick: it comes while the game
// screen is up, its A button starts play, its stick and D-pad move the bat as the arrow keys do,
// it goes again, and nothing reads controllers while none is there.

#include <SDL.h>

#include "tests/frontend/program_fixture.h"

namespace ZapModule {
namespace {

class GamepadTest : public ProgramTest {
  protected:
    // A controller of SDL's standard layout, plugged in.
    void PlugIn() {
        SDL_VirtualJoystickDesc desc{};
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        desc.naxes = SDL_CONTROLLER_AXIS_MAX;
        desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
        desc.name = "Zapwall test pad";
        index_ = SDL_JoystickAttachVirtualEx(&desc);
        ASSERT_GE(index_, 0) << SDL_GetError();
        joystick_ = SDL_JoystickOpen(index_);
        ASSERT_NE(joystick_, nullptr) << SDL_GetError();
    }
    void PullOut() {
        SDL_JoystickClose(joystick_);
        SDL_JoystickDetachVirtual(index_);
        joystick_ = nullptr;
    }
    void Button(SDL_GameControllerButton button, bool down) {
        SDL_JoystickSetVirtualButton(joystick_, button, down ? 1 : 0);
    }
    void StickY(int16_t value) {
        SDL_JoystickSetVirtualAxis(joystick_, SDL_CONTROLLER_AXIS_LEFTY, value);
    }

    int index_ = -1;
    SDL_Joystick* joystick_ = nullptr;
};

TEST_F(GamepadTest, AControllerPluggedInStartsPlayAndMovesTheBatUntilPulledOut) {
    StartGame();
    GamepadInput* pad = App().Gamepad();
    ASSERT_NE(pad, nullptr);
    ASSERT_TRUE(pad->Available());
    EXPECT_EQ(pad->Open(), 0);
    EXPECT_FALSE(pad->Reading()) << "controllers are read while none is there";

    PlugIn();
    pad->LookForControllers();  // what the watch of the device folder does when one comes
    ASSERT_EQ(pad->Open(), 1);
    EXPECT_TRUE(pad->Reading());
    // A (the south button) is Space: play starts.
    Button(SDL_CONTROLLER_BUTTON_A, true);
    ASSERT_TRUE(RunUntil([&] { return App().Timer1().Interval() == 1; }));
    Button(SDL_CONTROLLER_BUTTON_A, false);

    // In play, between steps: the stick down moves the bat 3 pixels a step; let go, the bat
    // stands; the D-pad up moves it up; pulled out while held, the bat stops.
    std::vector<int16_t> bat;  // the bat's top after each step with the stick down
    App().Timer1().OnStep = [&](StepClock::time_point) {
        if (State().MovingDown == kTrue) bat.push_back(State().BatTop);
    };
    StickY(32767);
    ASSERT_TRUE(RunUntil([&] { return bat.size() >= 5; }));
    StickY(0);
    ASSERT_TRUE(RunUntil([&] { return State().MovingDown != kTrue; }));
    for (size_t step = 1; step < bat.size(); ++step) EXPECT_EQ(bat[step], bat[step - 1] + 3);
    Button(SDL_CONTROLLER_BUTTON_DPAD_UP, true);
    ASSERT_TRUE(RunUntil([&] { return State().MovingUp == kTrue; }));
    PullOut();
    pad->LookForControllers();
    EXPECT_EQ(State().MovingUp, kFalse) << "a pad pulled out lets go of the bat";
    PressKey(Qt::Key_Escape);  // the game ends 20 steps later
    ASSERT_TRUE(RunUntil([&] { return App().Ended(); }));
    EXPECT_EQ(pad->Open(), 0);
    EXPECT_FALSE(pad->Reading());
}

}  // namespace
}  // namespace ZapModule
