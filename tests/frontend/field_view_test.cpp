// The field on the screen: after every step the window shows exactly the surface the step drew
// (although a refresh copies only what can have changed), and on a scaled screen every field
// pixel is a square block of whole screen pixels.

#include <QBackingStore>
#include <QImage>
#include <cmath>

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

TEST_F(FieldViewTest, TheFieldIsScaledByAWholeFactorAndCentred) {
    // Run with QT_SCALE_FACTOR or QT_SCREEN_SCALE_FACTORS set to see a scaled screen.
    StartGame(8000);
    const qreal ratio = Screen().devicePixelRatioF();
    for (const char* variable : {"QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS"}) {
        if (qEnvironmentVariableIsSet(variable)) {
            ASSERT_DOUBLE_EQ(ratio, qEnvironmentVariable(variable).toDouble()) << variable;
        }
    }
    // Every field pixel its own colour.
    Surface& field = State().Field;
    for (int y = 0; y < kFieldHeight; ++y)
        for (int x = 0; x < kFieldWidth; ++x)
            field.SetPixel(x, y, kOpaqueBlack | static_cast<uint32_t>((x + 1) << 9 | y));
    Screen().RefreshField();
    const QImage screen = OnScreen();

    const int factor = static_cast<int>(std::floor(ratio + 1e-6));
    QPoint corner(-1, -1);
    for (int y = 0; y < screen.height() && corner.x() < 0; ++y)
        for (int x = 0; x < screen.width() && corner.x() < 0; ++x)
            if ((screen.pixel(x, y) | kOpaqueBlack) == field.Pixel(0, 0)) corner = QPoint(x, y);
    ASSERT_GE(corner.x(), 0) << "the field's first pixel is not on the screen";
    int wrong = 0;
    for (int y = 0; y < kFieldHeight * factor; ++y)
        for (int x = 0; x < kFieldWidth * factor; ++x)
            if ((screen.pixel(corner + QPoint(x, y)) | kOpaqueBlack) !=
                field.Pixel(x / factor, y / factor))
                ++wrong;
    EXPECT_EQ(wrong, 0) << "screen pixels that are not their field pixel's at " << factor << "x";
    // Centred in the field's box on the screen, which is black around it.
    const QRect box(Screen().Field()->mapTo(&Screen(), QPoint(0, 0)) * ratio,
                    Screen().Field()->size() * ratio);
    const int left = corner.x() - box.left(), top = corner.y() - box.top();
    const int right = box.right() + 1 - (corner.x() + kFieldWidth * factor);
    const int bottom = box.bottom() + 1 - (corner.y() + kFieldHeight * factor);
    EXPECT_LE(std::abs(left - right), 1);
    EXPECT_LE(std::abs(top - bottom), 1);
    if (left > 0) {
        EXPECT_EQ(screen.pixel(box.topLeft()) | kOpaqueBlack, kOpaqueBlack);
    }
}

}  // namespace
}  // namespace ZapModule
