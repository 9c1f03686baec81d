// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Recording a game and playing it again through the same rules.
//
// A game is determined by the data folder (the level file, the animation table, the wall
// picture's height), the random seed, the roster and hall of fame as the game began, the player
// started, Tick, the sound switch, and the inputs the game screen delivered between game steps.
// Nothing else a step reads can differ: the timer's interval, the pause and the quit countdown
// follow from the inputs and the steps, the game over's message box has only OK, and the passes
// of the loop between steps change nothing but IdlePasses. So a recording holds exactly these,
// each input with the number of steps performed before it, and a replay needs no clock.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "model/state.h"
#include "storage/replay_file.h"
#include "storage/replay_journal.h"

namespace ZapModule {

// What a recording needs that the state does not hold.
struct ReplayOrigin {
    uint32_t Seed = 0;        // the seed start-up gave the random source
    uint64_t LevelsHash = 0;  // of the level file and the animation table start-up loaded
    uint64_t AnimationsHash = 0;
    std::string Recorded;  // local date and time, for people
};

// Records one game in memory: the game's beginning, then every input as the game screen hands it
// to the rules. An input costs one append (and one write to the journal, where one is kept); a
// game step costs nothing.
class ReplayRecorder {
  public:
    // Milliseconds from any origin, never going back (only used to watch the replay at its pace).
    using Clock = std::function<int64_t()>;

    // Starts recording the game the state holds right after Start (the player's progress copied,
    // the level loaded, no step performed yet). With a `journalFolder` the recording is also
    // written there as it goes (ReplayJournal), so that a killed program leaves it behind.
    void Begin(const GameState& s, const ReplayOrigin& origin, Clock clock,
               const std::string& journalFolder = {});
    bool Recording() const { return recording_; }
    // An input delivered to the rules now, between two steps.
    void Input(const GameState& s, ReplayInput what, int32_t a, int32_t b = 0);
    // The game has ended (the state as the game screen's close handler sees it); returns the whole
    // recording and stops.
    Replay Finish(const GameState& s);
    // The finished game's replay is saved: the journal is no longer needed.
    void DropJournal() { journal_.Drop(); }
    // The journal being written, or empty.
    const std::string& JournalPath() const { return journal_.Path(); }

  private:
    Replay replay_;
    ReplayJournal journal_;
    Clock clock_;
    int64_t start_ = 0;
    int64_t firstStep_ = 0;
    bool recording_ = false;
};

// How the game in this state ended: unloaded by the quit's countdown or by the game over, or
// closed from outside.
ReplayEnd EndOf(const GameState& s);
// How a game that ended after `steps` steps with `inputsLeft` recorded inputs undelivered differs
// from the recording's end, in Czech ("hra skončila po kroku 300 (hráč ji ukončil), …"); empty
// when it ended exactly as recorded.
std::string EndDivergence(const GameState& s, const Replay& r, int64_t steps, size_t inputsLeft);

// The data file a replay was recorded with that differs from the one loaded ("levels.ko",
// "animations.ko", or the wall's picture "pictures/ko12" when its height differs); nothing when
// the folder can replay it.
std::optional<std::string> DifferingDataFile(const Replay& r, const GameState& s,
                                             uint64_t levelsHash, uint64_t animationsHash);

// Starts the recorded game on a state that start-up loaded with the random source seeded with
// r.Seed: the roster and hall of fame as the game found them, then the player and Tick as Start
// hands them over. Setting up the sound, which Start also does, is the caller's.
void StartRecordedGame(GameState& s, const Replay& r);

// Hands a recorded input to the rules, as the game screen did.
void DeliverInput(GameState& s, const ReplayEvent& e);

struct ReplayRun {
    int64_t Steps = 0;
    std::string Divergence;  // empty when the game ended exactly as recorded
};

// A started recorded game played one step at a time, without a clock: every input before the
// step it preceded, a step whenever the timer runs and the game is not paused.
class RecordedGame {
  public:
    // The state and the recording must outlive the game.
    RecordedGame(GameState& s, const Replay& r);

    // Delivers the inputs due before the next step and runs that step; `beforeStep`, if given,
    // is called with the step's number (from 0) just before it runs. False, with no step run,
    // once the game has ended or waits for input.
    bool Step(const std::function<void(int64_t step)>& beforeStep = nullptr);
    // The steps run so far.
    int64_t Steps() const;
    // How the game went, once Step has returned false.
    ReplayRun Result() const;

  private:
    GameState& s_;
    const Replay& r_;
    int64_t first_;
    size_t next_ = 0;
    bool over_ = false;
    std::string divergence_;
};

// Runs a started recorded game to its end, as RecordedGame steps it.
ReplayRun RunRecordedGame(GameState& s, const Replay& r,
                          const std::function<void(int64_t step)>& beforeStep = nullptr);

struct TwinRun {
    ReplayRun Run;  // of the first game
    // Where the games' data first differed: after how many steps, and in what; the games stop
    // there. Empty when they never did.
    int64_t DifferingAfter = -1;
    std::string Difference;
};

// Runs the recorded game started on `a` and on `b` side by side, one step each in turn, and
// compares their GameData before the first step, after every `every` steps (at least 1) and at
// the end. `beforeStep` is called with each game's state and step before that step runs.
TwinRun RunRecordedGameTwice(
    GameState& a, GameState& b, const Replay& r, int64_t every,
    const std::function<void(GameState& s, int64_t step)>& beforeStep = nullptr);

}  // namespace ZapModule
