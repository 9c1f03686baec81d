// SPDX-License-Identifier: GPL-3.0-or-later
// The field on a real Wayland compositor (a headless weston that with_weston.sh starts, drawing
// with pixman so that its picture can be taken): what the compositor shows of the field must come
// to be the surface the last step drew — after a wall, a partial repaint, with the messages over
// the field, on the next level, after the window was hidden and shown again, and at the field's
// new place once the window went full screen while the game was paused, and back. Between steps
// the compositor may not yet have taken the latest picture, so the picture is compared where play
// rests, once it has caught up. While play rests on a level, Qt's own copy of the window must lag
// behind the compositor's: the field went past Qt's painting, through the subsurface, and Qt
// leaves it be when the window is exposed again after a late frame (weston stopped a while).
// ZAPWALL_TEST_WESTON_SCALE sets weston's output scale: at 2 each field pixel is 2 x 2.

#include <signal.h>  // NOLINT(modernize-deprecated-headers): POSIX declares kill() here

#include <QApplication>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <cstdlib>
#include <optional>
#include <vector>

#include "frontend/game_screen.h"
#include "frontend/wayland_decorations.h"
#include "tests/frontend/program_fixture.h"
#include "tests/lib/test_files.h"

namespace ZapModule {
namespace {

// Weston (with_weston.sh's) stopped, as a compositor too busy to answer, while this lives.
class WestonStopped {
  public:
    WestonStopped() : pid_(std::atoi(std::getenv("ZAPWALL_TEST_WESTON_PID"))) {
        kill(pid_, SIGSTOP);
    }
    ~WestonStopped() { kill(pid_, SIGCONT); }
    WestonStopped(const WestonStopped&) = delete;
    WestonStopped& operator=(const WestonStopped&) = delete;

  private:
    pid_t pid_;
};

// The compositor's picture of its output, as weston-screenshooter saves it; null when it could
// not be taken.
QImage WestonPicture() {
    const testing::TempFolder folder;
    const QString path = QString::fromStdString(folder.Path());
    QProcess shooter;
    shooter.setWorkingDirectory(path);
    shooter.start("weston-screenshooter", {});
    if (!shooter.waitForFinished(-1) || shooter.exitStatus() != QProcess::NormalExit ||
        shooter.exitCode() != 0)
        return {};
    QImage picture;
    for (const QString& file : QDir(path).entryList(QDir::Files))
        picture = QImage(path + "/" + file);
    return picture.convertToFormat(QImage::Format_RGB32);
}

class FieldOnWaylandTest : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("wayland"))
            << "Qt's Wayland plugin (qt6-wayland) is missing";
    }
    // Buffer pixels per field pixel.
    int Factor() { return Screen().Scale().Factor; }
    // Where the window's buffer lies in the compositor's picture: the place where the picture
    // shows Qt's copy of the window right of the field (the labels' side, which only Qt paints).
    std::optional<QPoint> WindowIn(const QImage& picture, const QImage& window) {
        const int right = FieldOrigin().x() + kFieldWidth * Factor() + 4;
        std::vector<QPoint> samples;
        for (int y = 0; y < window.height(); y += 3)
            for (int x = right; x < window.width(); x += 5) samples.emplace_back(x, y);
        for (int top = 0; top + window.height() <= picture.height(); ++top)
            for (int left = 0; left + window.width() <= picture.width(); ++left) {
                bool all = true;
                for (const QPoint& p : samples)
                    if ((picture.pixel(p + QPoint(left, top)) | kOpaqueBlack) !=
                        (window.pixel(p) | kOpaqueBlack)) {
                        all = false;
                        break;
                    }
                if (all) return QPoint(left, top);
            }
        return std::nullopt;
    }
    // The field pixels the compositor shows otherwise than the surface.
    int DifferingOnCompositor() {
        const QImage picture = WestonPicture();
        const QImage window = QtCopy();
        const std::optional<QPoint> at = window.isNull() ? std::nullopt : WindowIn(picture, window);
        return at ? FieldPixelsDiffering(picture, *at + FieldOrigin(), Factor())
                  : kFieldWidth * kFieldHeight;
    }
    // Lets the game go on until the compositor shows the surface; nothing tells this client
    // when it does, so a timer wakes the wait to look again.
    bool CompositorCatchesUp() {
        QTimer look;
        look.start(20);
        return RunUntil([&] { return DifferingOnCompositor() == 0; });
    }
    // Whether Qt's copy of the window lags behind the field: it went past Qt.
    bool QtCopyOld() { return FieldPixelsDiffering(QtCopy(), FieldOrigin(), Factor()) != 0; }
};

TEST_F(FieldOnWaylandTest, TheCompositorIsHandedTheSurfaceWherePlayRests) {
    StartGame(100);
    int steps = 0;
    App().Timer1().OnStep = [&](StepClock::time_point) {
        PlayTheFieldScenario(steps++);
        // The game pauses; without P, so that no sign over the field keeps the subsurface away.
        if (steps == 400 || steps == 450) State().Paused = kTrue;
    };
    ReleaseTheBall();
    ASSERT_TRUE(RunUntil([&] { return steps >= 300 && !App().Timer1().Running(); }));

    // The level switch shows the black field with the messages, which Qt paints.
    ASSERT_TRUE(Screen().Label3(0)->isVisible());
    EXPECT_TRUE(CompositorCatchesUp()) << DifferingOnCompositor();
    ReleaseTheBall();
    ASSERT_TRUE(RunUntil([&] { return steps >= 400 && !App().Timer1().Running(); }));
    // Paused on the next level, after the wall, the partial repaint and the switch.
    EXPECT_TRUE(CompositorCatchesUp()) << DifferingOnCompositor();
    EXPECT_TRUE(QtCopyOld()) << "Qt painted the field: the subsurface was not used";
    EXPECT_EQ(Factor(), std::max(1, qEnvironmentVariableIntValue("ZAPWALL_TEST_WESTON_SCALE")));

    // A compositor late with a frame: Qt takes the window as hidden until the frame comes, then
    // exposes it again. The subsurface still lies over the field, so Qt need not repaint it.
    {
        std::optional<WestonStopped> stopped(std::in_place);
        Screen().update(QRect(Screen().width() - 8, 0, 8, 8));  // Qt paints and awaits a frame
        ASSERT_TRUE(RunUntil([&] { return !Screen().windowHandle()->isExposed(); }));
        stopped.reset();
        ASSERT_TRUE(RunUntil([&] { return Screen().windowHandle()->isExposed(); }));
        QCoreApplication::sendPostedEvents();  // a repaint the exposure asked for
        EXPECT_TRUE(QtCopyOld()) << "Qt repainted the field under the subsurface";
    }

    // Hidden and shown again, the window has a new wl_surface: the field comes on a new
    // subsurface.
    // Qt's Wayland plugin tells of the hiding later: only once it has is the exposure waited for
    // the new surface's, which Qt paints whole; play goes on after that.
    Screen().hide();
    ASSERT_TRUE(RunUntil([&] { return !Screen().windowHandle()->isExposed(); }));
    Screen().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Screen()));
    PressKey(Qt::Key_P);
    ASSERT_TRUE(RunUntil([&] { return steps >= 450 && !App().Timer1().Running(); }));
    EXPECT_TRUE(CompositorCatchesUp()) << DifferingOnCompositor();
    EXPECT_TRUE(QtCopyOld()) << "Qt painted the field: the subsurface was not used";
}

TEST_F(FieldOnWaylandTest, TheFieldFollowsTheWindowInAndOutOfFullScreenWhilePlayRests) {
    StartGame(100);
    int steps = 0, pauseAt = 100;
    App().Timer1().OnStep = [&](StepClock::time_point) {
        KeepPlaying();
        if (++steps == pauseAt) State().Paused = kTrue;  // no P: no sign over the field
    };
    const auto playOnUntilPaused = [&](int count) {
        pauseAt = steps + count;
        return RunUntil([&] { return steps >= pauseAt && !App().Timer1().Running(); });
    };
    ReleaseTheBall();
    ASSERT_TRUE(playOnUntilPaused(100));
    ASSERT_TRUE(CompositorCatchesUp()) << DifferingOnCompositor();
    ASSERT_TRUE(QtCopyOld()) << "Qt painted the field: the subsurface was not used";

    // F11 while paused: the field moves (and at scale 2 grows to 3 x 3 buffer pixels a field
    // pixel), and no step shows it at its new place; the picture left at the old place must go.
    const QPointF windowed = Screen().Scale().Origin;
    PressKey(Qt::Key_F11);
    ASSERT_TRUE(RunUntil([&] { return Screen().Scale().Origin != windowed; }));
    ASSERT_TRUE(CompositorCatchesUp()) << DifferingOnCompositor() << " pixels in full screen";
    // Play goes on in full screen and rests again.
    PressKey(Qt::Key_P);
    ASSERT_TRUE(playOnUntilPaused(50));
    EXPECT_TRUE(CompositorCatchesUp()) << DifferingOnCompositor() << " pixels after steps";
    // Back in the window, play goes on: the subsurface shows the whole field at its place.
    PressKey(Qt::Key_F11);
    ASSERT_TRUE(RunUntil([&] { return Screen().Scale().Origin == windowed; }));
    PressKey(Qt::Key_P);
    ASSERT_TRUE(playOnUntilPaused(50));
    EXPECT_TRUE(CompositorCatchesUp()) << DifferingOnCompositor() << " pixels after steps";
    EXPECT_TRUE(QtCopyOld()) << "Qt painted the field: the subsurface was not used";
}

}  // namespace
}  // namespace ZapModule

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Without Qt's Wayland plugin the tests fail in SetUp rather than abort here.
    qputenv("QT_QPA_PLATFORM", "wayland;offscreen");
    ZapModule::LeaveTitleBarsToTheCompositor();  // as the program does
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
