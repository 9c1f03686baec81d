// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// zapwall-sim --serve: replays played on request, each in a process of its own forked from this
// one. The data folders are loaded once, here, and every game starts from a copy of what was
// loaded, so a game costs its own steps and not the program's start and the folder's loading;
// each game still runs alone, under its own CPU time, memory and wall time limits, and ends with
// its own exit status, as a zapwall-sim started for it would.

#include <cstdint>
#include <functional>

#include "tools/sim/replay_service.h"

namespace ZapModule {

struct ServeLimits {
    int CpuSeconds = 60;
    uint64_t MemoryBytes = uint64_t{1} << 30;
};

struct ReplayServerCalls {
    // In this process, before the game's process is forked: loads the request's folders, or
    // finds them loaded; false after saying why on standard error (the game's status is then
    // 3, as zapwall-sim's for a folder it cannot use).
    std::function<bool(const ReplayRequest&)> Prepare;
    // In the game's process: plays the replay on the folders prepared; its exit status.
    std::function<int(const ReplayRequest&)> Play;
};

// Serves the requests arriving on `socket` until its other end closes; games still running then
// are killed. Returns 0, or 1 after saying why the requests cannot be served.
int ServeReplays(int socket, const ServeLimits& limits, const ReplayServerCalls& calls);

}  // namespace ZapModule
