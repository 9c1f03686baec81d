// SPDX-License-Identifier: GPL-3.0-or-later
// The game screen on screens of every scale: the whole screen drawn at one whole factor (every
// game pixel a square block of whole screen pixels), the field filling its frame, every window
// inside the screen, and full screen on F11. CTest runs the window tests at the scale factors
// 1, 1.25, 1.5 and 2 on screens of the sizes in screens/, and names the factors expected there.

#include <QScreen>
#include <utility>

#include "frontend/screen_scale.h"
#include "tests/frontend/program_fixture.h"

namespace ZapModule {
namespace {

const QSize kDesign = GameScreen::kDesign;
const QRect kFieldDesign = GameScreen::kFieldDesign;

TEST(ScreenScaleTest, AFramedWindowTakesTheNearestWholeFactorThatFitsTheScreen) {
    const QMargins frame(4, 32, 4, 4);
    const struct {
        QSize Screen;  // screen pixels
        qreal Ratio;
        int Factor;
    } cases[] = {
        {{1920, 1200}, 1, 1}, {{1920, 1200}, 1.25, 1}, {{1920, 1200}, 1.5, 2},
        {{1920, 1200}, 2, 2}, {{1920, 1200}, 2.5, 2},  {{1920, 1200}, 3, 2},
        {{1280, 1024}, 2, 1}, {{1280, 1024}, 1.5, 1},  {{640, 480}, 1, 1},
        {{3840, 2160}, 3, 3}, {{3840, 2160}, 4, 3},    {{3840, 2400}, 4, 4},
    };
    for (const auto& c : cases) {
        const QSize available(static_cast<int>(c.Screen.width() / c.Ratio),
                              static_cast<int>(c.Screen.height() / c.Ratio));
        const ScreenScale scale = WindowedScale(kDesign, available, frame, c.Ratio);
        EXPECT_EQ(scale.Factor, c.Factor)
            << c.Screen.width() << "x" << c.Screen.height() << " at " << c.Ratio;
        EXPECT_TRUE(scale.Origin.isNull());
    }
}

TEST(ScreenScaleTest, FullScreenTakesTheLargestWholeFactorCentredOnWholePixels) {
    // 1920 x 1080 screen pixels at ratio 1.5: 1280 x 720 logical pixels.
    const ScreenScale scale = FullScreenScale(kDesign, QSize(1280, 720), 1.5);
    EXPECT_EQ(scale.Factor, 2);
    EXPECT_EQ(scale.Origin * 1.5, QPointF(297, 30));
    // The field's frame lands on whole screen pixels, two per game pixel.
    const QRectF field = scale.Place(kFieldDesign);
    EXPECT_DOUBLE_EQ(field.left() * 1.5, 297 + 32);
    EXPECT_DOUBLE_EQ(field.width() * 1.5, 990);
    EXPECT_DOUBLE_EQ(field.height() * 1.5, 950);
    // Smaller than the design: drawn once, from the corner.
    EXPECT_EQ(FullScreenScale(kDesign, QSize(640, 480), 1).Factor, 1);
}

TEST(ScreenScaleTest, PlacesConvertBetweenGameAndLogicalPixelsBothWays) {
    const ScreenScale quarter{1, 1.25, QPointF()};
    // The field's 495 x 475 pixels are 396 x 380 logical pixels from (12.8, 12.8).
    EXPECT_EQ(quarter.Place(kFieldDesign), QRectF(12.8, 12.8, 396, 380));
    EXPECT_EQ(quarter.Cover(kFieldDesign), QRect(QPoint(12, 12), QPoint(408, 392)));
    EXPECT_EQ(quarter.Near(QRect(520, 16, 137, 33)), QRect(416, 13, 110, 26));
    EXPECT_EQ(quarter.ToGame(QPointF(480, 288)), QPointF(600, 360));
    // Whole logical pixels stay whole: nothing grows by a pixel for rounding.
    const ScreenScale double_{2, 2, QPointF(10, 20)};
    EXPECT_EQ(double_.Cover(kFieldDesign), QRect(26, 36, 495, 475));
    EXPECT_TRUE((ScreenScale{1, 1, QPointF(5, 5)}.OneToOne()));
    EXPECT_FALSE((ScreenScale{2, 2, QPointF()}.OneToOne()));
}

class ScaledScreenTest : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        StartGame();
        ratio_ = Screen().devicePixelRatioF();
        // Every field pixel its own colour.
        Surface& field = State().Field;
        for (int y = 0; y < kFieldHeight; ++y)
            for (int x = 0; x < kFieldWidth; ++x)
                field.SetPixel(x, y, kOpaqueBlack | static_cast<uint32_t>((x + 1) << 9 | y));
    }
    // A whole factor the run names in the environment (1 when it names none).
    static int Expected(const char* variable) {
        return qEnvironmentVariableIsSet(variable) ? qEnvironmentVariableIntValue(variable) : 1;
    }
    // What the game screen's window holds now, in screen pixels.
    QImage OnScreen() {
        Screen().RefreshField();
        QCoreApplication::processEvents();
        return QtCopy();
    }
    // Screen pixels that are not what the game pixel they show is at the screen's scale: the
    // field's (its pixels fill the field's frame) and the background's, except where labels
    // write on it.
    int WrongPixels(const QImage& window) {
        const ScreenScale& scale = Screen().Scale();
        const int k = scale.Factor;
        const QPointF origin = scale.Origin * ratio_;
        QRegion labels;
        for (QWidget* label : Screen().findChildren<ActiveLabel*>())
            if (label->isVisible())
                labels += QRect(QPointF(label->mapTo(&Screen(), QPoint(0, 0)) * ratio_).toPoint(),
                                (QSizeF(label->size()) * ratio_).toSize());
        const QImage& background = Screen().Background();
        int wrong = 0;
        for (int y = 0; y < kDesign.height(); ++y) {
            for (int x = 0; x < kDesign.width(); ++x) {
                const QPoint corner(static_cast<int>(origin.x()) + x * k,
                                    static_cast<int>(origin.y()) + y * k);
                const QPoint game(x, y);
                uint32_t expected;
                if (kFieldDesign.contains(game))
                    expected = State().Field.Pixel(x - kFieldDesign.x(), y - kFieldDesign.y());
                else if (!labels.intersects(QRect(corner, QSize(k, k))))
                    expected = background.pixel(x, y) | kOpaqueBlack;
                else
                    continue;
                for (int dy = 0; dy < k; ++dy)
                    for (int dx = 0; dx < k; ++dx)
                        if ((window.pixel(corner + QPoint(dx, dy)) | kOpaqueBlack) != expected)
                            ++wrong;
            }
        }
        return wrong;
    }
    // A press in the middle of the start button, wherever it is drawn.
    void PressTheStartButton() {
        const QPointF button = Screen().Scale().Place(QRect(610, 365, 1, 1)).center();
        QTest::mousePress(&Screen(), Qt::LeftButton, {}, button.toPoint());
    }

    qreal ratio_ = 1;
};

TEST_F(ScaledScreenTest, TheWholeScreenIsDrawnAtOneWholeFactorInsideTheScreen) {
    EXPECT_EQ(Screen().Scale().Factor, Expected("ZAPWALL_TEST_FACTOR")) << "at " << ratio_;
    EXPECT_EQ(WrongPixels(OnScreen()), 0) << "at " << ratio_;
    // The window with its frame lies inside the free area of its screen.
    EXPECT_TRUE(Screen().screen()->availableGeometry().contains(Screen().frameGeometry()))
        << "at " << ratio_;
    // The menu and the hall of fame: at a whole factor too, and inside the screen.
    Menu().FitToScreen();
    Hall().FitToScreen();
    for (const auto& [window, design] :
         {std::pair<QWidget*, QSize>{&Menu(), MenuWindow::kDesign},
          std::pair<QWidget*, QSize>{&Hall(), HallWindow::kDesign}}) {
        const QSizeF pixels = QSizeF(window->size()) * ratio_;
        const int factor = static_cast<int>(pixels.width()) / design.width();
        EXPECT_GE(factor, 1);
        EXPECT_LT(pixels.width() - design.width() * factor, ratio_) << "at " << ratio_;
        EXPECT_LT(pixels.height() - design.height() * factor, ratio_) << "at " << ratio_;
        const QSize room = window->screen()->availableGeometry().size();
        EXPECT_LE(window->width(), room.width()) << "at " << ratio_;
        EXPECT_LE(window->height(), room.height()) << "at " << ratio_;
    }
    PressTheStartButton();
    EXPECT_EQ(App().Timer1().Interval(), 1);
}

TEST_F(ScaledScreenTest, F11ShowsTheScreenFullScreenAndBackAndIsRemembered) {
    const QSize framed = Screen().size();
    QTest::keyClick(Screen().Field(), Qt::Key_F11);
    ASSERT_TRUE(RunUntil([&] {
        return Screen().isFullScreen() && Screen().size() == Screen().screen()->geometry().size();
    }));
    EXPECT_EQ(Screen().Scale().Factor, Expected("ZAPWALL_TEST_FULL_SCREEN_FACTOR"));
    EXPECT_TRUE(App().Settings().FullScreen());
    const QImage window = OnScreen();
    EXPECT_EQ(WrongPixels(window), 0) << "at " << ratio_;
    // Black around the picture.
    if (Screen().Scale().Origin.x() >= 1) {
        EXPECT_EQ(window.pixel(0, 0) | kOpaqueBlack, kOpaqueBlack);
    }
    // Presses on the black do nothing; the start button still starts.
    QTest::mousePress(&Screen(), Qt::LeftButton, {}, QPoint(0, 0));
    EXPECT_EQ(App().Timer1().Interval(), 0);
    PressTheStartButton();
    EXPECT_EQ(App().Timer1().Interval(), 1);

    QTest::keyClick(Screen().Field(), Qt::Key_F11);
    ASSERT_TRUE(RunUntil([&] { return !Screen().isFullScreen() && Screen().size() == framed; }));
    EXPECT_FALSE(App().Settings().FullScreen());
    EXPECT_EQ(Screen().Scale().Factor, Expected("ZAPWALL_TEST_FACTOR"));
}

}  // namespace
}  // namespace ZapModule
