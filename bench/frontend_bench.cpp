// The real windows at play, measured (run it on a display, e.g. under `xvfb-run -a`):
//  * 10 seconds of a game at the default Tick 8000, the bat steered by an autopilot: game steps
//    per second, the p50/p99 deviation of the step interval from 10 ms, and the CPU time the
//    process used per second of play;
//  * the time from starting the program to the menu's first paint (median of several runs of
//    this program in a child mode that stops there);
//  * the peak resident memory of the play run.
//
// usage: frontend_bench [--seconds N] [--waker timerfd|qtimer] [--runs N]

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/program.h"
#include "game/input.h"

extern char** environ;

namespace ZapModule {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// A program folder of its own: the build's data, without saved players, and the sound library.
fs::path MakeProgramFolder() {
    const fs::path folder =
        fs::temp_directory_path() / ("zapwall-bench-" + std::to_string(getpid()));
    const fs::path build(ZAPWALL_BUILD_DIR);
    fs::remove_all(folder);
    fs::create_directories(folder / "data");
    for (const char* item : {"levels.ko", "animations.ko", "pictures", "sounds"})
        fs::copy(build / "data" / item, folder / "data" / item, fs::copy_options::recursive);
    fs::copy_file(build / "2d_snd.so", folder / "2d_snd.so");
    return folder;
}

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

long PeakResidentKiB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

double Percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[static_cast<size_t>(p * (values.size() - 1) + 0.5)];
}

// Moves the bat towards the lowest ball, as a player would.
void Steer(GameState& s) {
    s.MovingUp = s.MovingDown = kFalse;
    if (s.Balls.empty()) return;
    const float target = s.Balls.front().Y - s.BatHeight / 2.0f;
    if (target < s.BatTop - 2) s.MovingUp = kTrue;
    if (target > s.BatTop + 2) s.MovingDown = kTrue;
}

int Play(double seconds, bool timerfd) {
    const fs::path folder = MakeProgramFolder();
    std::vector<Clock::time_point> steps;
    steps.reserve(static_cast<size_t>(seconds * 200));
    double cpuAtStart = 0, cpuAtEnd = 0;
    Clock::time_point wallAtStart, wallAtEnd;
    int levelSwitches = 0;
    {
        Program program(PortableLayout(folder.string(), (folder / "data").string()),
                        timerfd ? MakeStepWaker() : MakeTimerStepWaker());
        program.Port().Messages = [](const std::string& text, const std::string&, MessageButtons) {
            std::fprintf(stderr, "message: %s\n", text.c_str());
            return MessageAnswer::Ok;
        };
        program.EndProcess = [](int) {};
        if (!program.Load()) return 1;
        GameState& s = program.State();
        PlayerPanel& panel = program.Form2().Players();
        panel.NameBox()->setText("Bench");
        panel.CreatePlayer();
        program.Form2().RunCommand(MenuWindow::kStart);
        program.ShowGameScreen();

        program.Timer1().OnStep = [&](Clock::time_point started) {
            steps.push_back(started);
            s.BallsLeft = 3;  // the autopilot misses now and then: the game must not end
            Steer(s);
        };
        // Play starts, the ball is released; after a level switch play resumes the same way.
        QTimer resume;
        QObject::connect(&resume, &QTimer::timeout, [&] {
            if (program.Timer1().Interval() != 0) return;
            if (!steps.empty()) ++levelSwitches;
            steps.push_back(Clock::time_point{});  // no interval spans the switch
            FieldKeyDown(s, kKeySpace);
            FieldKeyDown(s, kKeySpace);
        });
        resume.start(50);
        QTimer::singleShot(300, [&] {  // windows up and settled
            cpuAtStart = CpuSeconds();
            wallAtStart = Clock::now();
            steps.clear();
        });
        QTimer::singleShot(300 + static_cast<int>(seconds * 1000), [&] {
            wallAtEnd = Clock::now();
            cpuAtEnd = CpuSeconds();
            FieldKeyDown(s, kKeyP);  // the loop returns at the next step boundary
            resume.stop();
            QTimer::singleShot(50, [] { QCoreApplication::quit(); });
        });
        QApplication::exec();
    }
    const double wall = std::chrono::duration<double>(wallAtEnd - wallAtStart).count();
    const double cpu = cpuAtEnd - cpuAtStart;
    fs::remove_all(folder);

    std::vector<double> deviations;
    size_t counted = 0;
    for (size_t i = 0; i < steps.size(); ++i) {
        if (steps[i] == Clock::time_point{}) continue;
        ++counted;
        if (i == 0 || steps[i - 1] == Clock::time_point{}) continue;
        const double ms =
            std::chrono::duration<double, std::milli>(steps[i] - steps[i - 1]).count();
        deviations.push_back(std::abs(ms - 10.0));
    }
    std::printf("play (%s waker, %.1f s, %d level switches):\n", timerfd ? "timerfd" : "QTimer",
                wall, levelSwitches);
    std::printf("  steps per second      %.2f   (target 100 +- 1)\n", counted / wall);
    std::printf(
        "  step interval - 10 ms p50 %.3f ms, p99 %.3f ms, max %.3f ms   (p99 target < 2)\n",
        Percentile(deviations, 0.5), Percentile(deviations, 0.99), Percentile(deviations, 1.0));
    std::printf("  CPU per second of play %.1f %% of one core   (target < 10)\n", 100 * cpu / wall);
    std::printf("  peak resident memory  %.1f MB   (target < 60)\n", PeakResidentKiB() / 1024.0);
    return 0;
}

// Child mode: the program starts as the real one does and reports, at the menu's first paint,
// the time since the parent spawned it.
class FirstPaint : public QObject {
  public:
    explicit FirstPaint(int64_t spawnedNs) : spawnedNs_(spawnedNs) {}
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            const int64_t now = Clock::now().time_since_epoch().count();
            std::printf("%.3f\n", (now - spawnedNs_) / 1e6);
            std::fflush(stdout);
            std::_Exit(0);
        }
        return false;
    }

  private:
    int64_t spawnedNs_;
};

int StartupChild(int argc, char** argv, int64_t spawnedNs, const std::string& folder) {
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
        Qt::HighDpiScaleFactorRoundingPolicy::Round);
    QApplication app(argc, argv);
    Program program(PortableLayout(folder, folder + "/data"));
    FirstPaint first(spawnedNs);
    program.Form2().installEventFilter(&first);
    program.EndProcess = [](int) {};
    program.Start();
    return 1;  // the menu never painted
}

int MeasureStartup(const char* self, int runs) {
    const fs::path folder = MakeProgramFolder();
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        int pipeFds[2];
        if (pipe(pipeFds) != 0) return 1;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
        const std::string spawned = std::to_string(Clock::now().time_since_epoch().count());
        const std::string folderText = folder.string();
        char* args[] = {const_cast<char*>(self), const_cast<char*>("--startup-child"),
                        const_cast<char*>(spawned.c_str()), const_cast<char*>(folderText.c_str()),
                        nullptr};
        pid_t child = 0;
        if (posix_spawn(&child, self, &actions, nullptr, args, environ) != 0) return 1;
        posix_spawn_file_actions_destroy(&actions);
        close(pipeFds[1]);
        char buffer[64] = {};
        const ssize_t n = read(pipeFds[0], buffer, sizeof buffer - 1);
        close(pipeFds[0]);
        int status = 0;
        waitpid(child, &status, 0);
        if (n > 0) times.push_back(std::atof(buffer));
    }
    fs::remove_all(folder);
    if (times.empty()) return 1;
    std::printf(
        "start-up to the menu's first paint: median %.1f ms of %zu runs (min %.1f, max "
        "%.1f)   (target < 200)\n",
        Percentile(times, 0.5), times.size(), Percentile(times, 0), Percentile(times, 1));
    return 0;
}

}  // namespace
}  // namespace ZapModule

int main(int argc, char** argv) {
    using namespace ZapModule;
    if (argc == 4 && std::string(argv[1]) == "--startup-child")
        return StartupChild(argc, argv, std::atoll(argv[2]), argv[3]);
    double seconds = 10;
    bool timerfd = true;
    int runs = 7;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--seconds") seconds = std::atof(argv[i + 1]);
        if (option == "--waker") timerfd = std::string(argv[i + 1]) != "qtimer";
        if (option == "--runs") runs = std::atoi(argv[i + 1]);
    }
    if (MeasureStartup(argv[0], runs) != 0) std::fprintf(stderr, "start-up not measured\n");
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
        Qt::HighDpiScaleFactorRoundingPolicy::Round);
    QApplication app(argc, argv);
    return Play(seconds, timerfd);
}
