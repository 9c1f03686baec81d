// SPDX-License-Identifier: GPL-3.0-or-later
// The real windows at play, measured (run it on a display, e.g. under `xvfb-run -a`):
//  * start-up: the time from starting the real zapwall program (copied with its data and sound
//    library into a folder of its own) until the X server maps its first window, watched from
//    outside; and the time until the menu's first paint, from a child that starts the program's
//    entry routine the way main does and stops at that paint; beside each, in the same rounds,
//    the same for a bare Qt program that maps one empty window of the same size
//    (bare_qt_window), the floor the toolkit sets;
//  * play: runs of a game at the default Tick 8000, each in a process of its own, the bat
//    steered by an autopilot: game steps per second, the p50/p99 deviation of the step interval
//    from 10 ms, the CPU time the program and the X server used per second of play, and the
//    program's peak resident memory.
// Every figure is the median over the runs; the single runs are printed too.
//
// usage: frontend_bench [--seconds N] [--plays N] [--runs N] [--waker timerfd|qtimer]

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/program.h"
#include "game/input.h"
#include "platform/single_copy_lock.h"

extern char** environ;

namespace ZapModule {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// A program folder of its own: the program, the build's data without saved players, and the
// sound library. Copies, not links: the program finds its data beside its own file.
fs::path MakeProgramFolder() {
    fs::path folder = fs::temp_directory_path() / ("zapwall-bench-" + std::to_string(getpid()));
    const fs::path build(ZAPWALL_BUILD_DIR);
    fs::remove_all(folder);
    fs::create_directories(folder / "data");
    for (const char* item : {"levels.ko", "animations.ko", "pictures", "sounds"})
        fs::copy(build / "data" / item, folder / "data" / item, fs::copy_options::recursive);
    for (const char* file : {"2d_snd.so", "zapwall"}) fs::copy_file(build / file, folder / file);
    return folder;
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double Percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[static_cast<size_t>(std::lround(p * static_cast<double>(values.size() - 1)))];
}

double Milliseconds(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// Starts `args` with stdout into a pipe (when `out` is given) and returns its process id.
pid_t Spawn(const std::vector<std::string>& args, int* out) {
    int fds[2] = {-1, -1};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (out != nullptr) {
        if (pipe(fds) != 0) return -1;
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
    }
    std::vector<char*> argv;
    argv.reserve(args.size() + 1);
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    pid_t child = -1;
    if (posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ) != 0) child = -1;
    posix_spawn_file_actions_destroy(&actions);
    if (out != nullptr) {
        close(fds[1]);
        *out = fds[0];
    }
    return child;
}

std::string ReadAll(int fd) {
    std::string text;
    char buffer[512];
    for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;) text.append(buffer, n);
    close(fd);
    return text;
}

// ---- CPU time of the X server -------------------------------------------------------------

// The X server that serves DISPLAY (":N" or ":N.S"), found by its command line: a process
// named Xvfb, Xorg or X with the argument ":N". -1 when there is none to be seen.
pid_t XServerPid() {
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || display[0] != ':') return -1;
    const std::string wanted = std::string(display).substr(0, std::string(display).find('.'));
    for (const fs::directory_entry& entry : fs::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        std::ifstream file(entry.path() / "cmdline", std::ios::binary);
        std::vector<std::string> args;
        for (std::string arg; std::getline(file, arg, '\0');) args.push_back(arg);
        if (args.empty()) continue;
        const std::string program = fs::path(args[0]).filename().string();
        if (program != "Xvfb" && program != "Xorg" && program != "X") continue;
        if (std::find(args.begin() + 1, args.end(), wanted) != args.end())
            return static_cast<pid_t>(std::stol(name));
    }
    return -1;
}

// The CPU time all threads of a process have used, in seconds (from the scheduler's own
// nanosecond accounts); negative when it cannot be read.
double ProcessCpuSeconds(pid_t pid) {
    double total = 0;
    std::error_code error;
    for (const fs::directory_entry& task :
         fs::directory_iterator("/proc/" + std::to_string(pid) + "/task", error)) {
        std::ifstream stat(task.path() / "schedstat");
        double nanoseconds = 0;
        if (stat >> nanoseconds) total += nanoseconds / 1e9;
    }
    return error ? -1 : total;
}

double OwnCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

long PeakResidentKiB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

// ---- play -----------------------------------------------------------------------------------

// Moves the bat towards the lowest ball, as a player would.
void Steer(GameState& s) {
    s.MovingUp = s.MovingDown = kFalse;
    if (s.Balls.empty()) return;
    const float target = s.Balls.front().Y - s.BatHeight / 2.0f;
    if (target < s.BatTop - 2) s.MovingUp = kTrue;
    if (target > s.BatTop + 2) s.MovingDown = kTrue;
}

struct PlayFigures {
    double StepsPerSecond = 0, P50 = 0, P99 = 0, Max = 0, Cpu = 0, XCpu = -1, MemoryMB = 0;
    int LevelSwitches = 0;
};

// Child mode: one run of play; prints its figures on one line.
int PlayChild(int argc, char** argv, double seconds, bool timerfd, const std::string& folder) {
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
        Qt::HighDpiScaleFactorRoundingPolicy::Round);
    QApplication app(argc, argv);
    const pid_t xServer = XServerPid();
    std::vector<Clock::time_point> steps;
    steps.reserve(static_cast<size_t>(seconds * 200));
    double cpuAtStart = 0, cpuAtEnd = 0, xAtStart = -1, xAtEnd = -1;
    Clock::time_point wallAtStart, wallAtEnd;
    PlayFigures figures;
    {
        Program program(PortableLayout(folder, folder + "/data"),
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
        program.Form2().RunCommand(MenuWindow::kStart);  // which shows the game screen

        program.Timer1().OnStep = [&](Clock::time_point started) {
            steps.push_back(started);
            s.BallsLeft = 3;  // the autopilot misses now and then: the game must not end
            Steer(s);
        };
        // Play starts, the ball is released; after a level switch play resumes the same way.
        QTimer resume;
        QObject::connect(&resume, &QTimer::timeout, [&] {
            if (program.Timer1().Interval() != 0) return;
            if (!steps.empty()) ++figures.LevelSwitches;
            steps.emplace_back();  // no interval spans the switch
            FieldKeyDown(s, kKeySpace);
            FieldKeyDown(s, kKeySpace);
        });
        resume.start(50);
        QTimer::singleShot(300, [&] {  // windows up and settled
            cpuAtStart = OwnCpuSeconds();
            if (xServer > 0) xAtStart = ProcessCpuSeconds(xServer);
            wallAtStart = Clock::now();
            steps.clear();
        });
        QTimer::singleShot(300 + static_cast<int>(seconds * 1000), [&] {
            wallAtEnd = Clock::now();
            cpuAtEnd = OwnCpuSeconds();
            if (xServer > 0) xAtEnd = ProcessCpuSeconds(xServer);
            FieldKeyDown(s, kKeyP);  // the loop returns at the next step boundary
            resume.stop();
            QTimer::singleShot(50, [] { QCoreApplication::quit(); });
        });
        QApplication::exec();
    }
    const double wall = std::chrono::duration<double>(wallAtEnd - wallAtStart).count();
    std::vector<double> deviations;
    size_t counted = 0;
    for (size_t i = 0; i < steps.size(); ++i) {
        if (steps[i] == Clock::time_point{}) continue;
        ++counted;
        if (i == 0 || steps[i - 1] == Clock::time_point{}) continue;
        deviations.push_back(std::abs(Milliseconds(steps[i] - steps[i - 1]) - 10.0));
    }
    figures.StepsPerSecond = static_cast<double>(counted) / wall;
    figures.P50 = Percentile(deviations, 0.5);
    figures.P99 = Percentile(deviations, 0.99);
    figures.Max = Percentile(deviations, 1.0);
    figures.Cpu = 100 * (cpuAtEnd - cpuAtStart) / wall;
    if (xAtStart >= 0 && xAtEnd >= 0) figures.XCpu = 100 * (xAtEnd - xAtStart) / wall;
    figures.MemoryMB = static_cast<double>(PeakResidentKiB()) / 1024.0;
    std::printf("%f %f %f %f %f %f %f %d\n", figures.StepsPerSecond, figures.P50, figures.P99,
                figures.Max, figures.Cpu, figures.XCpu, figures.MemoryMB, figures.LevelSwitches);
    return 0;
}

int MeasurePlay(const std::string& self, int plays, double seconds, bool timerfd,
                const fs::path& folder) {
    std::vector<PlayFigures> runs;
    std::printf("play at Tick 8000 (%s waker), %d runs of %.0f s, each in a process of its own:\n",
                timerfd ? "timerfd" : "QTimer", plays, seconds);
    std::printf("  %8s %9s %9s %9s %10s %10s %8s\n", "steps/s", "p50 ms", "p99 ms", "max ms",
                "program %", "X server %", "MB");
    for (int run = 0; run < plays; ++run) {
        int out = -1;
        const pid_t child = Spawn({self, "--play-child", std::to_string(seconds),
                                   timerfd ? "timerfd" : "qtimer", folder.string()},
                                  &out);
        if (child < 0) return 1;
        std::istringstream line(ReadAll(out));
        int status = 0;
        waitpid(child, &status, 0);
        PlayFigures f;
        if (!(line >> f.StepsPerSecond >> f.P50 >> f.P99 >> f.Max >> f.Cpu >> f.XCpu >>
              f.MemoryMB >> f.LevelSwitches))
            continue;
        runs.push_back(f);
        std::printf("  %8.2f %9.3f %9.3f %9.3f %10.2f %10.2f %8.1f\n", f.StepsPerSecond, f.P50,
                    f.P99, f.Max, f.Cpu, f.XCpu, f.MemoryMB);
    }
    if (runs.empty()) return 1;
    auto median = [&](double PlayFigures::*field) {
        std::vector<double> values;
        values.reserve(runs.size());
        for (const PlayFigures& f : runs) values.push_back(f.*field);
        return Median(values);
    };
    std::printf(
        "  median: %.2f steps/s (target 100 +- 1), step interval - 10 ms p50 %.3f ms, "
        "p99 %.3f ms (target < 2)\n",
        median(&PlayFigures::StepsPerSecond), median(&PlayFigures::P50), median(&PlayFigures::P99));
    std::printf(
        "  median CPU per second of play: program %.2f %% of one core (target <= 2), "
        "X server %.2f %%; peak memory %.1f MB\n",
        median(&PlayFigures::Cpu), median(&PlayFigures::XCpu), median(&PlayFigures::MemoryMB));
    return 0;
}

// ---- start-up -------------------------------------------------------------------------------

struct FirstWindow {
    double Ms = -1;  // from the spawn to the X server's map of its first top-level window
    int Width = 0, Height = 0;
    double PaintMs = -1;  // from the spawn to its first paint, when the program prints it
};

// Spawns `args` and watches the root window until the X server maps the program's first
// top-level window; the program is then stopped. With `paintPrinted`, the program prints the
// milliseconds to its first paint on stdout, which is read before it is stopped.
FirstWindow WatchFirstWindow(xcb_connection_t* x, const std::vector<std::string>& args,
                             bool paintPrinted) {
    while (xcb_generic_event_t* stale = xcb_poll_for_event(x)) std::free(stale);
    int out = -1;
    const pid_t child = Spawn(args, paintPrinted ? &out : nullptr);
    const Clock::time_point spawned = Clock::now();
    FirstWindow first;
    if (child < 0) return first;
    xcb_window_t mapped = XCB_NONE;
    const int fd = xcb_get_file_descriptor(x);
    while (first.Ms < 0 && Clock::now() - spawned < std::chrono::seconds(10)) {
        xcb_generic_event_t* event = xcb_poll_for_event(x);
        if (event == nullptr) {
            if (xcb_connection_has_error(x)) break;
            fd_set read;
            FD_ZERO(&read);
            FD_SET(fd, &read);
            timeval timeout{0, 100000};
            select(fd + 1, &read, nullptr, nullptr, &timeout);
            continue;
        }
        if ((event->response_type & 0x7F) == XCB_MAP_NOTIFY &&
            !reinterpret_cast<xcb_map_notify_event_t*>(event)->override_redirect) {
            first.Ms = Milliseconds(Clock::now() - spawned);
            mapped = reinterpret_cast<xcb_map_notify_event_t*>(event)->window;
        }
        std::free(event);
    }
    if (mapped != XCB_NONE) {
        if (xcb_get_geometry_reply_t* geometry =
                xcb_get_geometry_reply(x, xcb_get_geometry(x, mapped), nullptr)) {
            first.Width = geometry->width;
            first.Height = geometry->height;
            std::free(geometry);
        }
    }
    if (paintPrinted) {
        std::string line;
        char c = 0;
        while (first.Ms >= 0 && read(out, &c, 1) == 1 && c != '\n') line += c;
        close(out);
        if (!line.empty()) first.PaintMs = std::atof(line.c_str());
    }
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    return first;
}

// Child mode: the program's entry routine as main runs it, stopped at the menu's first paint;
// prints the time since the parent spawned it.
class FirstPaint : public QObject {
  public:
    explicit FirstPaint(int64_t spawnedNs) : spawnedNs_(spawnedNs) {}
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            const int64_t now = Clock::now().time_since_epoch().count();
            std::printf("%.3f\n", static_cast<double>(now - spawnedNs_) / 1e6);
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

double TimeToFirstPaint(const std::string& self, const fs::path& folder) {
    int out = -1;
    const pid_t child =
        Spawn({self, "--startup-child", std::to_string(Clock::now().time_since_epoch().count()),
               folder.string()},
              &out);
    if (child < 0) return -1;
    const std::string text = ReadAll(out);
    int status = 0;
    waitpid(child, &status, 0);
    return text.empty() ? -1 : std::atof(text.c_str());
}

void MeasureStartup(const std::string& self, int runs, const fs::path& folder) {
    xcb_connection_t* x = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(x) == 0) {
        xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(x)).data;
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(x, screen->root, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(x);
    }
    const std::string bare = (fs::path(self).parent_path() / "bare_qt_window").string();
    // Alternating, so that a change in the machine's load touches all alike. The bare window
    // has the size of Zapwall's first window in the same round.
    std::vector<double> windows, paints, bareWindows, barePaints;
    for (int run = 0; run < runs; ++run) {
        if (xcb_connection_has_error(x) == 0) {
            const FirstWindow zapwall = WatchFirstWindow(x, {(folder / "zapwall").string()}, false);
            // The program was killed with its lock held: the next start would first have to
            // find the lock stale, which a player's start does not.
            fs::remove(folder / "data" / std::string(kLockFileName));
            if (zapwall.Ms >= 0) windows.push_back(zapwall.Ms);
            if (zapwall.Width > 0) {
                const std::string spawned = std::to_string(Clock::now().time_since_epoch().count());
                const FirstWindow baseline = WatchFirstWindow(
                    x,
                    {bare, std::to_string(zapwall.Width), std::to_string(zapwall.Height), spawned},
                    true);
                if (baseline.Ms >= 0) bareWindows.push_back(baseline.Ms);
                if (baseline.PaintMs >= 0) barePaints.push_back(baseline.PaintMs);
            }
        }
        if (const double ms = TimeToFirstPaint(self, folder); ms >= 0) paints.push_back(ms);
    }
    xcb_disconnect(x);
    auto report = [](const char* what, const std::vector<double>& times,
                     const std::vector<double>& floor, double allowed) {
        if (times.empty()) {
            std::printf("start-up to %s: not measured\n", what);
            return;
        }
        std::printf("start-up to %s: median %.1f ms of %zu runs (min %.1f, max %.1f)", what,
                    Median(times), times.size(), Percentile(times, 0), Percentile(times, 1));
        if (!floor.empty())
            std::printf(
                "; bare Qt window %.1f ms (min %.1f, max %.1f): %+.0f %% (target <= %+.0f %%)",
                Median(floor), Percentile(floor, 0), Percentile(floor, 1),
                100 * (Median(times) / Median(floor) - 1), 100 * allowed);
        std::printf("\n");
    };
    report("the first window (zapwall, mapped)", windows, bareWindows, 0.15);
    report("the menu's first paint", paints, barePaints, 0.25);
}

}  // namespace
}  // namespace ZapModule

int main(int argc, char** argv) {
    using namespace ZapModule;
    const std::string self = fs::canonical("/proc/self/exe").string();
    if (argc == 4 && std::string(argv[1]) == "--startup-child")
        return StartupChild(argc, argv, std::atoll(argv[2]), argv[3]);
    if (argc == 5 && std::string(argv[1]) == "--play-child")
        return PlayChild(argc, argv, std::atof(argv[2]), std::string(argv[3]) == "timerfd",
                         argv[4]);
    double seconds = 10;
    bool timerfd = true;
    int runs = 7, plays = 5;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--seconds") seconds = std::atof(argv[i + 1]);
        if (option == "--waker") timerfd = std::string(argv[i + 1]) != "qtimer";
        if (option == "--runs") runs = std::atoi(argv[i + 1]);
        if (option == "--plays") plays = std::atoi(argv[i + 1]);
    }
    const fs::path folder = MakeProgramFolder();
    MeasureStartup(self, runs, folder);
    const int status = plays > 0 ? MeasurePlay(self, plays, seconds, timerfd, folder) : 0;
    fs::remove_all(folder);
    return status;
}
