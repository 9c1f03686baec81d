// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/sim/replay_server.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <iostream>
#include <vector>

namespace ZapModule {
namespace {

using Clock = std::chrono::steady_clock;

// The wait status of a process that ended with status 3, zapwall-sim's for folders it cannot use.
constexpr int kFoldersRefused = 3 << 8;

// A game being played: its process, the pipe that closes when the process ends (only the
// process holds its writing end) and the caller's report.
struct RunningGame {
    pid_t Pid = -1;
    int Ended = -1;
    int Report = -1;
    Clock::time_point Deadline;
    bool Killed = false;
};

void WriteReport(int report, const ReplayReport& line) {
    const std::string text = ReplayReportLine(line);
    // The caller reads the line whole or has gone: nothing to do either way.
    [[maybe_unused]] const ssize_t written = write(report, text.data(), text.size());
}

// One request's message and the files it carries, or nothing when the socket has closed or
// failed. A message that is not a request is read and answered by closing its files.
struct Received {
    std::string Text;
    std::vector<int> Files;
    bool Truncated = false;
};

std::optional<Received> Receive(int socket) {
    Received got;
    got.Text.resize(kMaxReplayRequestBytes);
    iovec part{got.Text.data(), got.Text.size()};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int) * kReplayRequestFiles * 2)];
    msghdr message{};
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    ssize_t length;
    while ((length = recvmsg(socket, &message, MSG_CMSG_CLOEXEC)) < 0 && errno == EINTR) {
    }
    if (length <= 0) return std::nullopt;
    got.Text.resize(static_cast<size_t>(length));
    got.Truncated = (message.msg_flags & (MSG_TRUNC | MSG_CTRUNC)) != 0;
    // The caller sends the files in one control message.
    if (cmsghdr* c = CMSG_FIRSTHDR(&message);
        c != nullptr && c->cmsg_level == SOL_SOCKET && c->cmsg_type == SCM_RIGHTS) {
        const size_t count = (c->cmsg_len - CMSG_LEN(0)) / sizeof(int);
        for (size_t i = 0; i < count; ++i) {
            int file;
            std::memcpy(&file, CMSG_DATA(c) + i * sizeof(int), sizeof file);
            got.Files.push_back(file);
        }
    }
    return got;
}

class Server {
  public:
    Server(int socket, const ServeLimits& limits, const ReplayServerCalls& calls)
        : socket_(socket), limits_(limits), calls_(calls) {}

    ~Server() {
        for (RunningGame& game : games_) kill(game.Pid, SIGKILL);
        while (!games_.empty()) Finish(games_.size() - 1);
    }

    int Run() {
        for (;;) {
            std::vector<pollfd> watched{{socket_, POLLIN, 0}};
            for (const RunningGame& game : games_) watched.push_back({game.Ended, POLLIN, 0});
            if (poll(watched.data(), watched.size(), Timeout()) < 0) {
                if (errno == EINTR) continue;
                std::cerr << "zapwall-sim: --serve: " << std::strerror(errno) << "\n";
                return 1;
            }
            const Clock::time_point now = Clock::now();
            for (size_t i = games_.size(); i > 0; --i) {
                RunningGame& game = games_[i - 1];
                if (watched[i].revents != 0) {
                    Finish(i - 1);
                } else if (!game.Killed && now >= game.Deadline) {
                    kill(game.Pid, SIGKILL);
                    game.Killed = true;
                }
            }
            if (watched[0].revents == 0) continue;
            const std::optional<Received> got = Receive(socket_);
            if (!got) return 0;
            Start(*got);
        }
    }

  private:
    // Until the next game's deadline, in milliseconds; -1 when no game is running.
    int Timeout() const {
        int timeout = -1;
        for (const RunningGame& game : games_) {
            if (game.Killed) continue;
            const auto left =
                std::chrono::ceil<std::chrono::milliseconds>(game.Deadline - Clock::now()).count();
            const int wait = static_cast<int>(std::max<int64_t>(0, left));
            if (timeout < 0 || wait < timeout) timeout = wait;
        }
        return timeout;
    }

    void Finish(size_t index) {
        const RunningGame game = games_[index];
        games_.erase(games_.begin() + static_cast<ptrdiff_t>(index));
        int status = 0;
        rusage used{};
        while (wait4(game.Pid, &status, 0, &used) < 0 && errno == EINTR) {
        }
        const int64_t micros = (int64_t{used.ru_utime.tv_sec} + used.ru_stime.tv_sec) * 1000000 +
                               used.ru_utime.tv_usec + used.ru_stime.tv_usec;
        WriteReport(game.Report, {status, micros});
        close(game.Report);
        close(game.Ended);
    }

    void Start(const Received& got) {
        const std::optional<ReplayRequest> request =
            got.Truncated || got.Files.size() != kReplayRequestFiles ? std::nullopt
                                                                     : ParseReplayRequest(got.Text);
        if (!request) {
            for (const int file : got.Files) close(file);
            return;
        }
        const int out = got.Files[0], err = got.Files[1], report = got.Files[2];
        if (!Prepared(*request, err)) {
            WriteReport(report, {kFoldersRefused, 0});
        } else if (int ended[2]; pipe2(ended, O_CLOEXEC) == 0) {
            std::cout.flush();
            const pid_t pid = fork();
            if (pid == 0) {
                close(ended[0]);
                close(report);
                PlayInChild(*request, out, err);
            }
            close(ended[1]);
            if (pid > 0) {
                games_.push_back({pid, ended[0], report,
                                  Clock::now() + std::chrono::seconds(3 * limits_.CpuSeconds + 10),
                                  false});
                close(out);
                close(err);
                return;
            }
            close(ended[0]);
        }
        for (const int file : got.Files) close(file);
    }

    // Prepares the request's folders with standard error going to the caller's.
    bool Prepared(const ReplayRequest& request, int err) {
        const int own = dup(STDERR_FILENO);
        dup2(err, STDERR_FILENO);
        const bool ready = calls_.Prepare(request);
        if (own >= 0) {
            dup2(own, STDERR_FILENO);
            close(own);
        }
        return ready;
    }

    // The game's process. It holds the writing end of its pipe open until it ends.
    [[noreturn]] void PlayInChild(const ReplayRequest& request, int out, int err) {
        // Of the server's files the game keeps none: no exec comes to close them.
        close(socket_);
        for (const RunningGame& game : games_) {
            close(game.Ended);
            close(game.Report);
        }
        const rlim_t cpu = static_cast<rlim_t>(limits_.CpuSeconds);
        const rlimit cpuLimit{cpu, cpu + 1}, memoryLimit{limits_.MemoryBytes, limits_.MemoryBytes},
            none{0, 0};
        setrlimit(RLIMIT_CPU, &cpuLimit);
        setrlimit(RLIMIT_AS, &memoryLimit);
        setrlimit(RLIMIT_CORE, &none);
        signal(SIGPIPE, SIG_DFL);
        dup2(out, STDOUT_FILENO);
        dup2(err, STDERR_FILENO);
        const int status = calls_.Play(request);
        std::cout.flush();
        _exit(status);
    }

    int socket_;
    ServeLimits limits_;
    const ReplayServerCalls& calls_;
    std::vector<RunningGame> games_;
};

}  // namespace

int ServeReplays(int socket, const ServeLimits& limits, const ReplayServerCalls& calls) {
    int type = 0;
    socklen_t size = sizeof type;
    if (getsockopt(socket, SOL_SOCKET, SO_TYPE, &type, &size) != 0 || type != SOCK_SEQPACKET) {
        std::cerr << "zapwall-sim: --serve reads its requests from a SOCK_SEQPACKET socket on "
                     "standard input\n";
        return 1;
    }
    // A report written to a caller that has gone must not end the server.
    signal(SIGPIPE, SIG_IGN);
    return Server(socket, limits, calls).Run();
}

}  // namespace ZapModule
