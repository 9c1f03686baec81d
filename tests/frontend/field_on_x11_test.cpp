// SPDX-License-Identifier: GPL-3.0-or-later
// The field on a real X display (run under Xvfb), where a refresh goes past Qt's painting: what
// the X server holds in the window must be the surface the step drew, after every step, after a
// partial repaint by Qt, with the messages over the field, and when the window is uncovered.

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QImage>
#include <QWindow>
#include <array>
#include <cstdlib>
#include <memory>

#include "tests/frontend/program_fixture.h"

namespace ZapModule {
namespace {

class FieldOnX11Test : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
        if (x11 == nullptr || x11->connection() == nullptr)
            GTEST_SKIP() << "needs an X display (QT_QPA_PLATFORM=xcb)";
        x_ = x11->connection();
    }
    xcb_window_t Window() { return static_cast<xcb_window_t>(Screen().windowHandle()->winId()); }
    // The field as the X server holds it in the window.
    QImage OnDisplay() {
        const QPoint origin = FieldOrigin();
        const xcb_get_image_cookie_t asked =
            xcb_get_image(x_, XCB_IMAGE_FORMAT_Z_PIXMAP, Window(), static_cast<int16_t>(origin.x()),
                          static_cast<int16_t>(origin.y()), kFieldWidth, kFieldHeight, ~0u);
        const std::unique_ptr<xcb_get_image_reply_t, decltype(&std::free)> image(
            xcb_get_image_reply(x_, asked, nullptr), &std::free);
        if (!image || xcb_get_image_data_length(image.get()) != kFieldWidth * kFieldHeight * 4)
            return {};
        return QImage(xcb_get_image_data(image.get()), kFieldWidth, kFieldHeight,
                      QImage::Format_RGB32)
            .copy();
    }
    int Differing(const QImage& field) { return FieldPixelsDiffering(field, QPoint(0, 0)); }
    // Whether Qt's copy of the window lags behind the field: the refresh went past Qt.
    bool QtCopyOld() { return FieldPixelsDiffering(QtCopy(), FieldOrigin()) != 0; }

    xcb_connection_t* x_ = nullptr;
};

TEST_F(FieldOnX11Test, TheDisplayShowsTheSurfaceAfterEveryStep) {
    StartGame(100);
    int steps = 0, wrongSteps = 0, pastQt = 0;
    App().Timer1().OnStep = [&](StepClock::time_point) {
        PlayTheFieldScenario(steps);
        if (Differing(OnDisplay()) != 0) ++wrongSteps;
        if (steps % 50 == 49 && QtCopyOld()) ++pastQt;
        if (++steps == 400) PressKey(Qt::Key_P);  // the next level stops after 100 steps
    };
    ReleaseTheBall();
    ASSERT_TRUE(RunUntil([&] { return steps >= 300 && !App().Timer1().Running(); }));
    EXPECT_EQ(wrongSteps, 0) << "of " << steps << " steps";
    EXPECT_GT(pastQt, 0) << "every refresh was painted by Qt";

    // The level switch shows the black field with the messages, which Qt draws.
    ASSERT_TRUE(Screen().Label3(0)->isVisible());
    QCoreApplication::processEvents();
    EXPECT_EQ(Differing(OnDisplay()), 0);
    // The next level is drawn past Qt again, over what Qt drew.
    ReleaseTheBall();
    ASSERT_TRUE(RunUntil([&] { return steps >= 400 && !App().Timer1().Running(); }));
    EXPECT_EQ(wrongSteps, 0) << "of " << steps << " steps";
}

TEST_F(FieldOnX11Test, AnUncoveredWindowShowsTheLatestField) {
    StartGame(100);
    int steps = 0;
    App().Timer1().OnStep = [&](StepClock::time_point) {
        KeepPlaying();
        // The field stands still, drawn past Qt: paused without P, so no sign lies over it.
        if (++steps == 61) State().Paused = kTrue;
    };
    ReleaseTheBall();
    ASSERT_TRUE(RunUntil([&] { return steps > 60 && !App().Timer1().Running(); }));
    ASSERT_TRUE(QtCopyOld());

    // Another window covers the game screen and goes away: the server asks for the field again.
    int exposes = 0;
    struct ExposeCounter : QObject {
        int* Count;
        explicit ExposeCounter(int* count) : Count(count) {}
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Expose) ++*Count;
            return false;
        }
    } counter(&exposes);
    Screen().windowHandle()->installEventFilter(&counter);
    const xcb_window_t cover = xcb_generate_id(x_);
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(x_)).data;
    const uint32_t white = screen->white_pixel;
    const QPoint at = Screen().mapToGlobal(QPoint(0, 0));
    xcb_create_window(x_, XCB_COPY_FROM_PARENT, cover, screen->root, static_cast<int16_t>(at.x()),
                      static_cast<int16_t>(at.y()), 700, 560, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      XCB_COPY_FROM_PARENT, XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT,
                      std::array<uint32_t, 2>{white, 1}.data());
    xcb_map_window(x_, cover);
    std::free(xcb_get_input_focus_reply(x_, xcb_get_input_focus(x_), nullptr));
    xcb_destroy_window(x_, cover);
    xcb_flush(x_);
    ASSERT_TRUE(RunUntil([&] { return exposes > 0; }));
    // The repaint the exposure asked for reaches the server; nothing tells this client when, so
    // a timer wakes the wait to look again.
    QTimer look;
    look.start(10);
    int differing = -1;
    EXPECT_TRUE(RunUntil([&] { return (differing = Differing(OnDisplay())) == 0; }))
        << differing << " field pixels are still not repainted";
    Screen().windowHandle()->removeEventFilter(&counter);
}

}  // namespace
}  // namespace ZapModule
