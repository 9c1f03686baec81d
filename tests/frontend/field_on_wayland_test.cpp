// The field on a real Wayland compositor (a headless weston this test starts): the picture Qt
// hands to the compositor must come to be the surface the last step drew — after a wall, a partial
// repaint, with the messages over the field and on the next level. Between steps Qt may still be
// painting into a buffer the compositor has not yet given back, so the picture is compared where
// play rests (the level switch, the pause), once the window has caught up.
//
// Every test is skipped when weston cannot start: it is not installed, or it exits before it
// opens its socket (no usable XDG_RUNTIME_DIR, no headless backend).

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QBackingStore>
#include <QGuiApplication>
#include <QImage>
#include <QWindow>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "frontend/wayland_decorations.h"
#include "tests/frontend/program_fixture.h"

extern char** environ;

namespace ZapModule {
namespace {

// A headless weston on a socket of its own, ended with the test program.
class HeadlessWeston {
  public:
    HeadlessWeston() {
        if (std::getenv("XDG_RUNTIME_DIR") == nullptr) {
            runtime_ = std::filesystem::temp_directory_path() /
                       ("zapwall-wayland-" + std::to_string(getpid()));
            std::filesystem::create_directories(runtime_);
            std::filesystem::permissions(runtime_, std::filesystem::perms::owner_all);
            setenv("XDG_RUNTIME_DIR", runtime_.c_str(), 1);
        }
        socket_ = "zapwall-test-" + std::to_string(getpid());
        const std::string socketArgument = "--socket=" + socket_;
        const char* argv[] = {"weston", "--backend=headless-backend.so", socketArgument.c_str(),
                              "--idle-time=0", nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        const int failed =
            posix_spawnp(&pid_, "weston", &actions, nullptr, const_cast<char**>(argv), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (failed != 0) {
            pid_ = 0;
            return;
        }
        // Ready once its socket exists; given up when weston ends first.
        const auto socketPath = std::filesystem::path(std::getenv("XDG_RUNTIME_DIR")) / socket_;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!std::filesystem::exists(socketPath)) {
            if (waitpid(pid_, nullptr, WNOHANG) == pid_ ||
                std::chrono::steady_clock::now() > deadline) {
                pid_ = 0;
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        setenv("WAYLAND_DISPLAY", socket_.c_str(), 1);
        running_ = true;
    }
    ~HeadlessWeston() {
        if (pid_ != 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
        if (!runtime_.empty()) std::filesystem::remove_all(runtime_);
    }
    bool Running() const { return running_; }

  private:
    pid_t pid_ = 0;
    bool running_ = false;
    std::string socket_;
    std::filesystem::path runtime_;
};

bool westonRunning = false;

class FieldOnWaylandTest : public ProgramTest {
  protected:
    void SetUp() override {
        if (!westonRunning) GTEST_SKIP() << "weston (headless) could not start";
        ProgramTest::SetUp();
        ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("wayland"))
            << "Qt's Wayland plugin (qt6-wayland) is missing";
    }
    void StartGame() {
        LaunchWithPlayers({PlayerRecord{"Ann", 0, 0, 3}});
        Menu().SetTickSetting(100);
        StartAs(0);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Screen()));
    }
    // The window as Qt last handed it to the compositor: its shared-memory buffer.
    QImage Handed() {
        const QPaintDevice* device = Screen().backingStore()->paintDevice();
        return device->devType() == QInternal::Image ? *static_cast<const QImage*>(device)
                                                     : QImage();
    }
    int Differing() {
        const QImage window = Handed();
        return window.isNull()
                   ? kFieldWidth * kFieldHeight
                   : FieldPixelsDiffering(window, Screen().Field()->mapTo(&Screen(), QPoint(0, 0)));
    }
};

TEST_F(FieldOnWaylandTest, TheCompositorIsHandedTheSurfaceWherePlayRests) {
    StartGame();
    int steps = 0;
    App().Timer1().OnStep = [&](StepClock::time_point) {
        GameState& s = State();
        if (!s.Balls.empty()) {  // the bat follows the first ball: the game goes on
            s.MovingUp = s.Balls[0].Y < s.BatTop + 10 ? kTrue : kFalse;
            s.MovingDown = s.Balls[0].Y > s.BatTop + 40 ? kTrue : kFalse;
        }
        s.BallsLeft = 3;
        if (steps == 100) {  // a wall grows and stands: a large picture appears
            s.WallOn = kTrue;
            s.WallS = kWallGrowing;
        }
        if (steps == 150) Screen().Field()->repaint(10, 10, 40, 40);  // Qt paints a part
        if (steps == 250) s.WallS = kWallShrinking;
        ++steps;
        if (steps == 300) s.LevelDone = kTrue;  // the next step switches the level
        if (steps == 400) PressKey(Qt::Key_P);
    };
    PressKey(Qt::Key_Space);
    PressKey(Qt::Key_Space);
    ASSERT_TRUE(RunUntil([&] { return steps >= 300 && !App().Timer1().Running(); }, 20000));

    // The level switch shows the black field with the messages.
    ASSERT_TRUE(Screen().Label3(0)->isVisible());
    EXPECT_TRUE(RunUntil([&] { return Differing() == 0; }, 20000)) << Differing();
    PressKey(Qt::Key_Space);
    PressKey(Qt::Key_Space);
    ASSERT_TRUE(RunUntil([&] { return steps >= 400 && !App().Timer1().Running(); }, 20000));
    // Paused on the next level, after the wall, the partial repaint and the switch.
    EXPECT_TRUE(RunUntil([&] { return Differing() == 0; }, 20000)) << Differing();
}

}  // namespace
}  // namespace ZapModule

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ZapModule::HeadlessWeston weston;
    ZapModule::westonRunning = weston.Running();
    if (ZapModule::westonRunning) {
        // Without Qt's Wayland plugin the tests fail in SetUp rather than abort here.
        qputenv("QT_QPA_PLATFORM", "wayland;offscreen");
        ZapModule::LeaveTitleBarsToTheCompositor();  // as the program does
    } else {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
