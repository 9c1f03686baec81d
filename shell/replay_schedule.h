// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// When each recorded input of a watched game is delivered, without any window or timer of its
// own. The recorded inputs reach the rules exactly where the game delivered them, between the
// same two game steps. While the game waits (before the start, between levels, paused) an input
// comes after the time it came in the game, measured from the input before it, so the messages
// between levels and the pauses last as long as they did. Holding the watching (the viewer's P)
// stops the clock of the recording; the time held is not counted.
//
// A frontend gives it a clock and a one-shot timer (ArmTimer), calls TimerFired when that timer
// fires and BeforePass before every pass of its game loop.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "model/version.h"

#include "model/state.h"
#include "storage/replay_file.h"

namespace ZapModule {

class ReplaySchedule {
  public:
    // Milliseconds from any origin, never going back.
    using Clock = std::function<int64_t()>;

    // The recorded game must have been started on the state (StartRecordedGame).
    ReplaySchedule(GameState& s, Replay replay, Clock clock);

    // The frontend's one-shot timer: TimerFired is due after `delay` milliseconds; a later call
    // replaces the earlier one. DisarmTimer cancels it.
    std::function<void(int64_t delay)> ArmTimer;
    std::function<void()> DisarmTimer;
    // The watching ends: Esc, the recorded close of the game screen, or a recording that cannot
    // go on (`diverged`). The game's own ends (quit, game over) unload the screen instead.
    std::function<void(bool diverged)> OnEnd;

    // Starts feeding the recorded inputs; the game screen is shown.
    void Start();
    // Stops feeding inputs for good (the game screen is closing).
    void Stop();
    // A key of the viewer, `repeat` when it is the key's auto-repeat; no key of the viewer reaches
    // the rules. Esc ends the watching, P holds or resumes it, Space skips the rest of a recorded
    // wait (SkipWait); an auto-repeated P or Space does nothing.
    void ViewerKeyDown(int code, bool repeat);
    // Holds or resumes the watching (the viewer's P; a frontend holds it while it is hidden).
    void SetHeld(bool held);
    bool Held() const { return held_; }
    bool Ended() const { return ended_; }
    // Whether the watched game left its recording: it waited for an input recorded after a later
    // step, or it ended itself (a quit, a game over) elsewhere or otherwise than recorded.
    bool Diverged() const;
    // Skips the rest of a wait of the recorded game (a pause, the time before the start or
    // between levels): the input that ends it comes now. Nothing happens while the game steps.
    void SkipWait();
    // The game screen's caption while the game is watched, its own text and the watching's state:
    // held by the viewer, in a pause the player made, or on.
    std::string Caption() const {
        return std::string(kGameScreenCaption) + std::string(CaptionSuffix());
    }
    // The caption when it is not the one this gave last (the first call gives it), nothing
    // otherwise: a frontend asks before every pass and sets the caption only when it changed.
    std::optional<std::string> ChangedCaption();
    // Held() changed: the frontend holds its game loop with the watching, and shows the caption.
    std::function<void()> HeldChanged;

    // The timer armed through ArmTimer fired.
    void TimerFired();
    // Before a pass of the game loop counts: delivers the inputs due by time and, when the pass
    // will step, the rest of those recorded before that step. The loop must not pass while the
    // watching is held.
    void BeforePass();

  private:
    // One of three constants, the caption's part after the game screen's own text.
    std::string_view CaptionSuffix() const;
    int64_t StepsDone() const { return s_.Steps - firstStep_; }
    bool CanStep() const;
    // Delivers the next input and keeps the gap to the one after it as recorded.
    void DeliverNext();
    void DeliverDue(bool stepComing);
    void Arm();
    void End(bool diverged);

    GameState& s_;
    Replay replay_;
    Clock clock_;
    size_t next_ = 0;
    int64_t firstStep_ = 0;
    int64_t offset_ = 0;  // watching time minus recorded time
    int64_t heldSince_ = 0;
    bool held_ = false;
    bool ended_ = false;
    bool diverged_ = false;
    std::optional<std::string_view> shownSuffix_;  // CaptionSuffix as ChangedCaption gave it last
};

}  // namespace ZapModule
