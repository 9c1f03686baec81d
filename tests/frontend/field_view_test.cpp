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
        PlayTheFieldScenario(steps++);  // the bat, the ball, the movers and the explosions move
        if (differing() != 0) ++wrongSteps;
    };
    ReleaseTheBall();
    ASSERT_TRUE(RunUntil([&] { return steps >= 300 && !App().Timer1().Running(); }));
    EXPECT_EQ(wrongSteps, 0) << "of " << steps << " steps";
    // The level switch shows the black field with the messages.
    ASSERT_TRUE(Screen().Label3(0)->isVisible());
    EXPECT_EQ(differing(), 0);
}

}  // namespace
}  // namespace ZapModule
