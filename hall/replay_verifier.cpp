// SPDX-License-Identifier: GPL-3.0-or-later
#include "hall/replay_verifier.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <initializer_list>
#include <nlohmann/json.hpp>
#include <optional>
#include <utility>
#include <vector>

namespace ZapModule {

struct SimRun {
    std::string Out, Err;
    int Status = 0;
    double CpuSeconds = 0;
    bool Started = false;
    bool OutOfTime = false;
};

namespace {

using Clock = std::chrono::steady_clock;

// zapwall-sim's summary is a line; its reasons are one line; a report is one line.
constexpr size_t kMaxReportBytes = 4096;
constexpr size_t kMaxReasonBytes = 4096;
constexpr size_t kMaxReportLineBytes = 64;

// A busy machine's generous share of wall time for a game of at most `limits.CpuSeconds`.
Clock::time_point Deadline(const VerifyLimits& limits) {
    return Clock::now() + std::chrono::seconds(3 * limits.CpuSeconds + 10);
}

// Starts `args` with standard input, output and error `in`, `out` and `err` (-1: the server's
// own), under `limits` when given; the process, or -1.
pid_t Spawn(const std::vector<std::string>& args, int in, int out, int err,
            const VerifyLimits* limits) {
    std::vector<char*> argv;
    argv.reserve(args.size() + 1);
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    rlimit files{};
    getrlimit(RLIMIT_NOFILE, &files);
    const int lastFile = static_cast<int>(std::min<rlim_t>(files.rlim_cur, 65536)) - 1;
    sigset_t noSignals;
    sigemptyset(&noSignals);
    const rlim_t cpu = limits != nullptr ? static_cast<rlim_t>(limits->CpuSeconds) : 0;
    const rlimit cpuLimit{cpu, cpu + 1},
        memoryLimit{limits != nullptr ? limits->MemoryBytes : 0,
                    limits != nullptr ? limits->MemoryBytes : 0},
        none{0, 0};
    // Between fork and exec the child calls only what is safe in a copy of a threaded process.
    // It gets the signals the server leaves to one thread back, and none of the server's files
    // (its clients' sockets, its database).
    const pid_t pid = fork();
    if (pid != 0) return pid;
    if (limits != nullptr) {
        setrlimit(RLIMIT_CPU, &cpuLimit);
        setrlimit(RLIMIT_AS, &memoryLimit);
    }
    setrlimit(RLIMIT_CORE, &none);
    sigprocmask(SIG_SETMASK, &noSignals, nullptr);
    signal(SIGPIPE, SIG_DFL);
    const int own[3] = {in, out, err};
    for (int fd = 0; fd < 3; ++fd)
        if (own[fd] >= 0) dup2(own[fd], fd);
    if (close_range(3, ~0u, 0) != 0)
        for (int fd = 3; fd <= lastFile; ++fd) close(fd);
    execv(argv[0], argv.data());
    _exit(127);
}

struct Collected {
    int File;
    std::string* Text;
    size_t Most;  // bytes kept; the rest is read and dropped
};

// Reads each file into its text until every one has closed; false when the deadline came first.
// The files are closed either way.
bool Collect(std::vector<Collected> files, Clock::time_point deadline) {
    std::vector<pollfd> watched;
    watched.reserve(files.size());
    for (const Collected& file : files) watched.push_back({file.File, POLLIN, 0});
    bool inTime = true;
    for (size_t open = files.size(); open > 0;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            inTime = false;
            break;
        }
        if (poll(watched.data(), watched.size(), static_cast<int>(left.count())) < 0 &&
            errno != EINTR)
            break;
        for (size_t i = 0; i < files.size(); ++i) {
            if (watched[i].fd < 0 || watched[i].revents == 0) continue;
            char buffer[65536];
            const ssize_t got = read(watched[i].fd, buffer, sizeof buffer);
            if (got > 0) {
                std::string& text = *files[i].Text;
                const size_t most = files[i].Most;
                text.append(buffer,
                            std::min(static_cast<size_t>(got), most - std::min(text.size(), most)));
            } else if (got == 0 || errno != EINTR) {
                close(watched[i].fd);
                watched[i].fd = -1;
                --open;
            }
        }
    }
    for (const pollfd& fd : watched)
        if (fd.fd >= 0) close(fd.fd);
    return inTime;
}

// A pipe whose ends do not reach a program started later.
bool OpenPipe(int ends[2]) {
    return pipe2(ends, O_CLOEXEC) == 0;
}

void ClosePipes(std::initializer_list<int*> pipes) {
    for (int* ends : pipes)
        for (int i = 0; i < 2; ++i)
            if (ends[i] >= 0) close(ends[i]);
}

// Runs `args` under the limits, its standard output and error collected; a child still running
// at the deadline is killed.
SimRun RunLimited(const std::vector<std::string>& args, const VerifyLimits& limits) {
    SimRun run;
    int out[2] = {-1, -1}, err[2] = {-1, -1};
    if (!OpenPipe(out) || !OpenPipe(err)) {
        ClosePipes({out, err});
        return run;
    }
    const pid_t pid = Spawn(args, -1, out[1], err[1], &limits);
    close(out[1]);
    close(err[1]);
    if (pid < 0) {
        close(out[0]);
        close(err[0]);
        return run;
    }
    run.Started = true;
    if (!Collect({{out[0], &run.Out, kMaxReportBytes}, {err[0], &run.Err, kMaxReasonBytes}},
                 Deadline(limits))) {
        kill(pid, SIGKILL);
        run.OutOfTime = true;
    }
    rusage used{};
    while (wait4(pid, &run.Status, 0, &used) < 0 && errno == EINTR) {
    }
    run.CpuSeconds = static_cast<double>(used.ru_utime.tv_sec + used.ru_stime.tv_sec) +
                     static_cast<double>(used.ru_utime.tv_usec + used.ru_stime.tv_usec) / 1e6;
    return run;
}

// Hands the request and its three files to the server's socket; false when it has failed.
bool Request(int socket, const ReplayRequest& request, const int files[kReplayRequestFiles]) {
    const std::string text = ReplayRequestText(request);
    iovec part{const_cast<char*>(text.data()), text.size()};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int) * kReplayRequestFiles)] = {};
    msghdr message{};
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    cmsghdr* carried = CMSG_FIRSTHDR(&message);
    carried->cmsg_level = SOL_SOCKET;
    carried->cmsg_type = SCM_RIGHTS;
    carried->cmsg_len = CMSG_LEN(sizeof(int) * kReplayRequestFiles);
    std::memcpy(CMSG_DATA(carried), files, sizeof(int) * kReplayRequestFiles);
    ssize_t sent;
    while ((sent = sendmsg(socket, &message, MSG_NOSIGNAL)) < 0 && errno == EINTR) {
    }
    return sent == static_cast<ssize_t>(text.size());
}

enum class ServerAnswer { Played, Gone, Stuck };

// The game played by the server on `socket` into *run: played (whatever its end), not played
// because the server has gone, or not answered at a deadline that only a stuck server misses.
ServerAnswer PlayOn(int socket, const ReplayRequest& request, const VerifyLimits& limits,
                    SimRun* run) {
    int out[2] = {-1, -1}, err[2] = {-1, -1}, report[2] = {-1, -1};
    if (!OpenPipe(out) || !OpenPipe(err) || !OpenPipe(report)) {
        ClosePipes({out, err, report});
        return ServerAnswer::Played;  // not started
    }
    const int files[kReplayRequestFiles] = {out[1], err[1], report[1]};
    const bool handed = Request(socket, request, files);
    for (const int file : files) close(file);
    if (!handed) {
        for (const int file : {out[0], err[0], report[0]}) close(file);
        return ServerAnswer::Gone;
    }
    std::string line;
    // The server kills a game at its deadline; this one's margin is for the server itself.
    const bool inTime = Collect({{out[0], &run->Out, kMaxReportBytes},
                                 {err[0], &run->Err, kMaxReasonBytes},
                                 {report[0], &line, kMaxReportLineBytes}},
                                Deadline(limits) + std::chrono::seconds(10));
    if (!inTime) {
        run->Started = run->OutOfTime = true;
        return ServerAnswer::Stuck;
    }
    const std::optional<ReplayReport> reported = ParseReplayReport(line);
    if (!reported) return ServerAnswer::Gone;
    run->Started = true;
    run->Status = reported->WaitStatus;
    run->CpuSeconds = static_cast<double>(reported->CpuMicroseconds) / 1e6;
    return ServerAnswer::Played;
}

// zapwall-sim's reason without its name and the temporary file's: "zapwall-sim: PATH: řádek 4: …"
std::string Reason(std::string err, const std::string& replay) {
    err = err.substr(0, err.find('\n'));
    for (const std::string& prefix : {std::string("zapwall-sim: "), replay + ": "})
        if (err.starts_with(prefix)) err.erase(0, prefix.size());
    return err;
}

}  // namespace

std::string ReplayVerifier::Failed(int status) const {
    return "záznam nelze přehrát: " + sim_ + " skončil se stavem " +
           std::to_string(WEXITSTATUS(status));
}

std::string ReplayVerifier::CheckFolder(const std::string& dataFolder,
                                        const std::string& userFolder) const {
    const SimRun run = RunLimited(
        {sim_, "--data", dataFolder, "--user-data", userFolder, "--steps", "0"}, limits_);
    if (!run.Started) return sim_ + " nelze spustit";
    if (WIFSIGNALED(run.Status))
        return sim_ + " skončil signálem " + std::to_string(WTERMSIG(run.Status));
    if (WEXITSTATUS(run.Status) == 0) return "";
    const std::string reason = Reason(run.Err, "");
    return reason.empty() ? Failed(run.Status) : reason;
}

ReplayVerifier::ReplayVerifier(std::string sim, VerifyLimits limits, int concurrent)
    : sim_(std::move(sim)), limits_(limits), turns_(concurrent) {}

ReplayVerifier::~ReplayVerifier() {
    const std::lock_guard<std::mutex> lock(server_);
    EndServer(false);
}

void ReplayVerifier::EndServer(bool failed) {
    if (serverSocket_ < 0) return;
    // The server ends when its socket closes, killing the games it still plays; one that has
    // failed may be stuck and is killed (its games end at their own CPU limit).
    if (failed) kill(serverPid_, SIGKILL);
    close(serverSocket_);
    serverSocket_ = -1;
    while (waitpid(serverPid_, nullptr, 0) < 0 && errno == EINTR) {
    }
    serverPid_ = -1;
}

int ReplayVerifier::Server(int failed) {
    const std::lock_guard<std::mutex> lock(server_);
    if (failed >= 0 && failed == serverSocket_) EndServer(true);
    if (serverSocket_ >= 0) return serverSocket_;
    int ends[2];
    if (socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends) != 0) return -1;
    const int nothing = open("/dev/null", O_WRONLY | O_CLOEXEC);
    const pid_t pid = Spawn({sim_, "--serve", "--cpu-seconds", std::to_string(limits_.CpuSeconds),
                             "--memory-megabytes", std::to_string(limits_.MemoryBytes >> 20)},
                            ends[1], nothing, -1, nullptr);
    if (nothing >= 0) close(nothing);
    close(ends[1]);
    if (pid < 0) {
        close(ends[0]);
        return -1;
    }
    serverPid_ = pid;
    serverSocket_ = ends[0];
    return serverSocket_;
}

SimRun ReplayVerifier::Served(const ReplayRequest& request) {
    // A server that has ended (killed, say) before it played the game is started again, and the
    // game handed to the new one.
    int failed = -1;
    for (int attempt = 0; attempt < 2; ++attempt) {
        const int socket = Server(failed);
        if (socket < 0) break;
        SimRun run;
        switch (PlayOn(socket, request, limits_, &run)) {
            case ServerAnswer::Played:
                return run;
            case ServerAnswer::Stuck:
                Server(socket);
                return run;
            case ServerAnswer::Gone:
                failed = socket;
        }
    }
    return {};
}

PlayedReplay ReplayVerifier::Play(const std::string& replay, const std::string& dataFolder,
                                  const std::string& userFolder) {
    PlayedReplay played;
    turns_.acquire();
    const SimRun run = Served({dataFolder, userFolder, replay});
    turns_.release();
    played.CpuSeconds = run.CpuSeconds;
    if (!run.Started) {
        played.Problem = "záznam nelze přehrát: " + sim_ + " nelze spustit";
        played.ServerFault = true;
    } else if (run.OutOfTime || (WIFSIGNALED(run.Status) && (WTERMSIG(run.Status) == SIGXCPU ||
                                                             WTERMSIG(run.Status) == SIGKILL))) {
        // The hall plays no game longer than a few seconds: the limit is met by a server too
        // busy or too slow, not by the game.
        played.Problem = "přehrání záznamu překročilo časový limit";
        played.ServerFault = true;
    } else if (WIFSIGNALED(run.Status)) {
        played.Problem =
            "přehrání záznamu skončilo signálem " + std::to_string(WTERMSIG(run.Status));
    } else if (WEXITSTATUS(run.Status) != 0) {
        played.Problem = Reason(run.Err, replay);
        if (played.Problem.find("bad_alloc") != std::string::npos)
            played.Problem = "přehrání záznamu překročilo limit paměti";
        // A refused invocation, a data folder the game refuses (status 3) or a program that
        // could not start is the server's fault.
        played.ServerFault = WEXITSTATUS(run.Status) != 1 || played.Problem.empty();
        if (played.Problem.empty()) played.Problem = Failed(run.Status);
    } else {
        const nlohmann::json report = nlohmann::json::parse(run.Out, nullptr, false);
        if (report.is_object() && report.contains("Iq") && report.contains("Level") &&
            report.contains("Steps") && report.contains("BallsLeft")) {
            played.Score = report["Iq"].get<int64_t>();
            played.Level = report["Level"].get<int64_t>();
            played.Steps = report["Steps"].get<int64_t>();
            played.BallsLeft = report["BallsLeft"].get<int16_t>();
        } else {
            played.Problem = "záznam nelze přehrát: " + sim_ + " nevydal výsledek";
            played.ServerFault = true;
        }
    }
    return played;
}

}  // namespace ZapModule
