// SPDX-License-Identifier: GPL-3.0-or-later
#include "hall/replay_verifier.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <nlohmann/json.hpp>
#include <utility>
#include <vector>

namespace ZapModule {

namespace {

// zapwall-sim's summary is a line; its reasons are one line.
constexpr size_t kMaxReportBytes = 4096;
constexpr size_t kMaxReasonBytes = 4096;

struct ChildRun {
    std::string Out, Err;
    int Status = 0;
    double CpuSeconds = 0;
    bool Started = false;
    bool OutOfTime = false;
};

// Runs `args` with the limits, its standard output and error collected; a child still running
// when a busy machine's generous share of wall time is spent is killed.
ChildRun RunLimited(const std::vector<std::string>& args, const VerifyLimits& limits) {
    ChildRun run;
    std::vector<char*> argv;
    argv.reserve(args.size() + 1);
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    int out[2], err[2];
    if (pipe2(out, O_CLOEXEC) != 0) return run;
    if (pipe2(err, O_CLOEXEC) != 0) {
        close(out[0]);
        close(out[1]);
        return run;
    }
    rlimit files{};
    getrlimit(RLIMIT_NOFILE, &files);
    const int lastFile = static_cast<int>(std::min<rlim_t>(files.rlim_cur, 65536)) - 1;
    sigset_t noSignals;
    sigemptyset(&noSignals);
    const rlim_t cpu = static_cast<rlim_t>(limits.CpuSeconds);
    const rlimit cpuLimit{cpu, cpu + 1}, memoryLimit{limits.MemoryBytes, limits.MemoryBytes},
        none{0, 0};
    // Between fork and exec the child calls only what is safe in a copy of a threaded process.
    // It gets the signals the server leaves to one thread back, and none of the server's files
    // (its clients' sockets, its database).
    const pid_t pid = fork();
    if (pid == 0) {
        setrlimit(RLIMIT_CPU, &cpuLimit);
        setrlimit(RLIMIT_AS, &memoryLimit);
        setrlimit(RLIMIT_CORE, &none);
        sigprocmask(SIG_SETMASK, &noSignals, nullptr);
        signal(SIGPIPE, SIG_DFL);
        dup2(out[1], STDOUT_FILENO);
        dup2(err[1], STDERR_FILENO);
        if (close_range(3, ~0u, 0) != 0)
            for (int fd = 3; fd <= lastFile; ++fd) close(fd);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(out[1]);
    close(err[1]);
    if (pid < 0) {
        close(out[0]);
        close(err[0]);
        return run;
    }
    run.Started = true;
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::seconds(3 * limits.CpuSeconds + 10);
    pollfd watched[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    std::pair<std::string*, size_t> into[2] = {{&run.Out, kMaxReportBytes},
                                               {&run.Err, kMaxReasonBytes}};
    for (int open = 2; open > 0;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            kill(pid, SIGKILL);
            run.OutOfTime = true;
            break;
        }
        if (poll(watched, 2, static_cast<int>(left.count())) < 0 && errno != EINTR) break;
        for (int i = 0; i < 2; ++i) {
            if (watched[i].fd < 0 || watched[i].revents == 0) continue;
            char buffer[65536];
            const ssize_t got = read(watched[i].fd, buffer, sizeof buffer);
            if (got > 0) {
                std::string& text = *into[i].first;
                text.append(buffer,
                            std::min(static_cast<size_t>(got),
                                     into[i].second - std::min(text.size(), into[i].second)));
            } else if (got == 0 || errno != EINTR) {
                close(watched[i].fd);
                watched[i].fd = -1;
                --open;
            }
        }
    }
    for (const pollfd& fd : watched)
        if (fd.fd >= 0) close(fd.fd);
    rusage used{};
    while (wait4(pid, &run.Status, 0, &used) < 0 && errno == EINTR) {
    }
    run.CpuSeconds = static_cast<double>(used.ru_utime.tv_sec + used.ru_stime.tv_sec) +
                     static_cast<double>(used.ru_utime.tv_usec + used.ru_stime.tv_usec) / 1e6;
    return run;
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
    const ChildRun run = RunLimited(
        {sim_, "--data", dataFolder, "--user-data", userFolder, "--steps", "0"}, limits_);
    if (!run.Started) return sim_ + " nelze spustit";
    if (WIFSIGNALED(run.Status))
        return sim_ + " skončil signálem " + std::to_string(WTERMSIG(run.Status));
    if (WEXITSTATUS(run.Status) == 0) return "";
    const std::string reason = Reason(run.Err, "");
    return reason.empty() ? Failed(run.Status) : reason;
}

ReplayVerifier::ReplayVerifier(std::string sim, VerifyLimits limits, int concurrent, int waiting)
    : sim_(std::move(sim)), limits_(limits), admitted_(concurrent + waiting), turns_(concurrent) {}

PlayedReplay ReplayVerifier::Play(const std::string& replay, const std::string& dataFolder,
                                  const std::string& userFolder) {
    PlayedReplay played;
    if (queued_.fetch_add(1) >= admitted_) {
        queued_.fetch_sub(1);
        played.Busy = true;
        played.Problem = "server právě ověřuje příliš mnoho her, zkuste to za chvíli";
        return played;
    }
    turns_.acquire();
    const ChildRun run = RunLimited({sim_, "--replay", replay, "--data", dataFolder, "--user-data",
                                     userFolder, "--out", "-", "--summary"},
                                    limits_);
    turns_.release();
    queued_.fetch_sub(1);
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
