// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Plays a sent replay to its end through the game's engine, in a process of its own: a game of
// zapwall-sim --serve, under a CPU time and memory limit, so that no replay can take the
// server's own memory or time, and the engine runs exactly as it does for every other replay.
// The one zapwall-sim --serve is started at the first replay, and again should it end.

#include <sys/types.h>

#include <cstdint>
#include <mutex>
#include <semaphore>
#include <string>

#include "tools/sim/replay_service.h"

namespace ZapModule {

struct SimRun;  // how a zapwall-sim run ended

struct VerifyLimits {
    int CpuSeconds = 60;
    uint64_t MemoryBytes = uint64_t{1} << 30;
};

// How a replay played out: refused (the reason, in Czech), or to its recorded end with this
// result.
struct PlayedReplay {
    std::string Problem;  // empty when it played out as recorded
    int64_t Score = 0;    // IQ at the end, as the roster or the hall of fame keeps it
    int64_t Level = 0;
    int64_t Steps = 0;
    int16_t BallsLeft = 0;
    double CpuSeconds = 0;     // what the play cost
    bool ServerFault = false;  // the engine could not be run: the replay's fault is unknown
};

class ReplayVerifier {
  public:
    // `sim`: the zapwall-sim program; `concurrent`: the most replays played at once.
    ReplayVerifier(std::string sim, VerifyLimits limits, int concurrent);
    ~ReplayVerifier();
    ReplayVerifier(const ReplayVerifier&) = delete;
    ReplayVerifier& operator=(const ReplayVerifier&) = delete;

    // Plays the replay file `replay` on `dataFolder`, after those before it; the player's files
    // are read from the (empty) `userFolder`, and nothing is written.
    PlayedReplay Play(const std::string& replay, const std::string& dataFolder,
                      const std::string& userFolder);
    // Whether the game plays on `dataFolder` at all: empty, or why it refuses the folder.
    std::string CheckFolder(const std::string& dataFolder, const std::string& userFolder) const;

  private:
    // The reason for a run that ended with `status` and said nothing.
    std::string Failed(int status) const;
    // The socket of the zapwall-sim --serve running, started when none is (-1 when it cannot
    // be); `failed`, when given, is a socket that has failed and whose server is ended first.
    int Server(int failed = -1);
    void EndServer(bool failed);
    // The game's run by the server.
    SimRun Served(const ReplayRequest& request);

    std::string sim_;
    VerifyLimits limits_;
    std::counting_semaphore<> turns_;
    std::mutex server_;
    pid_t serverPid_ = -1;
    int serverSocket_ = -1;
};

}  // namespace ZapModule
