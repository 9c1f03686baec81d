// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Plays a sent replay to its end through the game's engine, in a child process: zapwall-sim
// --replay, under a CPU time and memory limit, so that no replay can take the server's own
// memory or time, and the engine runs exactly as it does for every other replay.

#include <atomic>
#include <cstdint>
#include <semaphore>
#include <string>

namespace ZapModule {

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
    bool Busy = false;         // not played: as many replays as may wait are waiting already
};

class ReplayVerifier {
  public:
    // `sim`: the zapwall-sim program; `concurrent`: the most replays played at once; `waiting`:
    // the most that wait for their turn besides.
    ReplayVerifier(std::string sim, VerifyLimits limits, int concurrent, int waiting);

    // Plays the replay file `replay` on `dataFolder`; the player's files are read from the
    // (empty) `userFolder`, and nothing is written. Busy at once when the queue is full.
    PlayedReplay Play(const std::string& replay, const std::string& dataFolder,
                      const std::string& userFolder);
    // Whether the game plays on `dataFolder` at all: empty, or why it refuses the folder.
    std::string CheckFolder(const std::string& dataFolder, const std::string& userFolder) const;

  private:
    // The reason for a run that ended with `status` and said nothing.
    std::string Failed(int status) const;

    std::string sim_;
    VerifyLimits limits_;
    int admitted_;  // playing and waiting at most
    std::atomic<int> queued_{0};
    std::counting_semaphore<> turns_;
};

}  // namespace ZapModule
