// SPDX-License-Identifier: GPL-3.0-or-later
// The field on the screen: after every step the window shows exactly the surface the step drew
// (although a refresh copies only what can have changed). screen_scale_test.cpp tests scaled
// screens.

#include <QBackingStore>
#include <QImage>

#include "tests/frontend/program_fixture.h"

namespace ZapModule {
namespace {

class FieldViewTest : public ProgramTest {
  protected:
    void StartGame(int16_t tick) {
        LaunchWithPlayers({PlayerRecord{"Ann", 0, 0, 3}});
        Menu().SetTickSetting(tick);
        StartAs(0);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Screen()));
    }
    // What the game screen's window holds now, in device pixels.
    QImage OnScreen() {
        QPaintDevice* device = Screen().backingStore()->paintDevice();
        EXPECT_EQ(device->devType(), QInternal::Image);
        return *static_cast<QImage*>(device);
    }
    // The field pixels that differ between the window (unscaled) and the field surface, but
    // for those under the messages shown between levels.
    int DifferingPixels() {
        return FieldPixelsDiffering(OnScreen(), Screen().Field()->mapTo(&Screen(), QPoint(0, 0)));
    }
};

TEST_F(FieldViewTest, TheWindowShowsTheWholeSurfaceAfterEveryStep) {
    StartGame(100);
    ASSERT_EQ(Screen().devicePixelRatioF(), 1.0);
    int steps = 0, wrongSteps = 0;
    App().Timer1().OnStep = [&](StepClock::time_point) {
        GameState& s = State();
        // Steer towards the ball so that the play goes on; the bat, the ball, the movers and
        // the explosions all move.
        if (!s.Balls.empty()) {
            s.MovingUp = s.Balls[0].Y < s.BatTop + 10 ? kTrue : kFalse;
            s.MovingDown = s.Balls[0].Y > s.BatTop + 40 ? kTrue : kFalse;
        }
        s.BallsLeft = 3;
        if (steps == 100) {  // a wall grows and stands: a large picture appears
            s.WallOn = kTrue;
            s.WallS = kWallGrowing;
        }
        if (steps == 150) Screen().Field()->repaint(10, 10, 40, 40);  // a partial paint
        if (steps == 250) s.WallS = kWallShrinking;
        if (DifferingPixels() != 0) ++wrongSteps;
        if (++steps == 400) s.LevelDone = kTrue;  // the next step switches the level
    };
    PressKey(Qt::Key_Space);
    PressKey(Qt::Key_Space);
    ASSERT_TRUE(RunUntil([&] { return steps >= 400 && !App().Timer1().Running(); }));
    EXPECT_EQ(wrongSteps, 0) << "of " << steps << " steps";
    // The level switch shows the black field with the messages.
    ASSERT_TRUE(Screen().Label3(0)->isVisible());
    EXPECT_EQ(DifferingPixels(), 0);
}

}  // namespace
}  // namespace ZapModule
