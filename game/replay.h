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

#include "game/state.h"
#include "storage/replay_file.h"

namespace ZapModule {

// What a recording needs that the state does not hold.
struct ReplayOrigin {
    uint32_t Seed = 0;        // the seed start-up gave the random source
    uint64_t LevelsHash = 0;  // of the level file and the animation table start-up loaded
    uint64_t AnimationsHash = 0;
    std::string Recorded;  // local date and time, for people
};

// Records one game in memory: the game's beginning, then every input as the game screen hands it
// to the rules. An input costs one append; a game step costs nothing.
class ReplayRecorder {
  public:
    // Milliseconds from any origin, never going back (only used to watch the replay at its pace).
    using Clock = std::function<int64_t()>;

    // Starts recording the game the state holds right after Start (the player's progress copied,
    // the level loaded, no step performed yet).
    void Begin(const GameState& s, const ReplayOrigin& origin, Clock clock);
    bool Recording() const { return recording_; }
    // An input delivered to the rules now, between two steps.
    void Input(const GameState& s, ReplayInput what, int32_t a, int32_t b = 0);
    // The game has ended (the state as the game screen's close handler sees it); returns the whole
    // recording and stops.
    Replay Finish(const GameState& s);

  private:
    Replay replay_;
    Clock clock_;
    int64_t start_ = 0;
    int64_t firstStep_ = 0;
    bool recording_ = false;
};

// How the game in this state ended: unloaded by the quit's countdown or by the game over, or
// closed from outside.
ReplayEnd EndOf(const GameState& s);

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

// Runs a started recorded game to its end without a clock: every input before the step it
// preceded, a step whenever the timer runs and the game is not paused. `beforeStep`, if given,
// is called with each step's number (from 0) before it runs.
ReplayRun RunRecordedGame(GameState& s, const Replay& r,
                          const std::function<void(int64_t step)>& beforeStep = nullptr);

}  // namespace ZapModule
