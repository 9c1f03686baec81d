// SPDX-License-Identifier: GPL-3.0-or-later
// The field on the screen: after every step the window shows exactly the surface the step drew
// (although a refresh copies only what can have changed). screen_scale_test.cpp tests scaled
// screens.

#include "tests/frontend/program_fixture.h"

namespace ZapModule {
namespace {

using FieldViewTest = ProgramTest;

TEST_F(FieldViewTest, TheWindowShowsTheWholeSurfaceAfterEveryStep) {
    StartGame(100);
    ASSERT_EQ(Screen().devicePixelRatioF(), 1.0);
    const auto differing = [this] { return FieldPixelsDiffering(QtCopy(), FieldOrigin()); };
    int steps = 0, wrongSteps = 0;
    App().Timer1().OnStep = [&](StepClock::time_point) {
        KeepPlaying();  // the bat, the ball, the movers and the explosions all move
        GameState& s = State();
        if (steps == 100) {  // a wall grows and stands: a large picture appears
            s.WallOn = kTrue;
            s.WallS = kWallGrowing;
        }
        if (steps == 150) Screen().Field()->repaint(10, 10, 40, 40);  // a partial paint
        if (steps == 250) s.WallS = kWallShrinking;
        if (differing() != 0) ++wrongSteps;
        if (++steps == 400) s.LevelDone = kTrue;  // the next step switches the level
    };
    PressKey(Qt::Key_Space);
    PressKey(Qt::Key_Space);
    ASSERT_TRUE(RunUntil([&] { return steps >= 400 && !App().Timer1().Running(); }));
    EXPECT_EQ(wrongSteps, 0) << "of " << steps << " steps";
    // The level switch shows the black field with the messages.
    ASSERT_TRUE(Screen().Label3(0)->isVisible());
    EXPECT_EQ(differing(), 0);
}

}  // namespace
}  // namespace ZapModule
