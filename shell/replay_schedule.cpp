// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/replay_schedule.h"

#include <algorithm>
#include <utility>

#include "game/input.h"
#include "game/replay.h"
#include "game/tick.h"
#include "ports/window_port.h"

namespace ZapModule {

namespace {

// How often the watching looks again while it waits for the steps to reach its next input.
constexpr int64_t kPollMillis = 20;

}  // namespace

ReplaySchedule::ReplaySchedule(GameState& s, Replay replay, Clock clock)
    : s_(s), replay_(std::move(replay)), clock_(std::move(clock)) {}

void ReplaySchedule::Start() {
    firstStep_ = s_.Steps;
    offset_ = clock_();
    Arm();
}

void ReplaySchedule::Stop() {
    ended_ = true;
    held_ = false;
    if (DisarmTimer) DisarmTimer();
}

void ReplaySchedule::ViewerKeyDown(int code, bool repeat) {
    if (code == kKeyEscape)
        End(false);
    else if (repeat)
        return;
    else if (code == kKeyP)
        SetHeld(!held_);
    else if (code == kKeySpace)
        SkipWait();
}

void ReplaySchedule::SetHeld(bool held) {
    if (held == held_ || ended_) return;
    held_ = held;
    if (held_) {
        heldSince_ = clock_();
        if (DisarmTimer) DisarmTimer();
    } else {
        offset_ += clock_() - heldSince_;
        Arm();
    }
    if (HeldChanged) HeldChanged();
}

bool ReplaySchedule::CanStep() const {
    return s_.Window->TimerInterval() != 0 && s_.Paused == kFalse;
}

void ReplaySchedule::DeliverNext() {
    const ReplayEvent& e = replay_.Events[next_++];
    offset_ = clock_() - e.Millis;
    DeliverInput(s_, e);
}

void ReplaySchedule::DeliverDue(bool stepComing) {
    if (held_ || ended_) return;
    const size_t before = next_;
    while (next_ < replay_.Events.size() && replay_.Events[next_].Step == StepsDone()) {
        // An input waits for its time unless the step it came before is about to run.
        if (clock_() < replay_.Events[next_].Millis + offset_ && !(stepComing && CanStep())) break;
        DeliverNext();
    }
    if (next_ != before) Arm();
    const bool closedHere = next_ == replay_.Events.size() && EndsBetweenSteps(replay_.End) &&
                            StepsDone() == replay_.EndStep;
    const bool stepping = stepComing && CanStep();
    if (closedHere && (clock_() >= replay_.EndMillis + offset_ || stepping)) {
        End(false);
    } else if (stepping && StepsDone() >= replay_.EndStep) {
        // The recording has no step here: the game goes on where its recorded end (a quit, a
        // game over) did not come, and has left it, as zapwall-sim finds.
        End(true);
    }
}

void ReplaySchedule::SkipWait() {
    const bool inputsLeft = next_ < replay_.Events.size();
    if (held_ || ended_ || CanStep() || (!inputsLeft && !EndsBetweenSteps(replay_.End))) return;
    const int64_t step = inputsLeft ? replay_.Events[next_].Step : replay_.EndStep;
    if (step != StepsDone()) return;
    // The recorded time from here to the input no longer counts.
    offset_ = clock_() - (inputsLeft ? replay_.Events[next_].Millis : replay_.EndMillis);
    TimerFired();
}

void ReplaySchedule::TimerFired() {
    const size_t before = next_;
    DeliverDue(false);
    if (!ended_ && next_ == before) Arm();
}

void ReplaySchedule::BeforePass() {
    DeliverDue(PassesUntilStep(s_) == 1);
}

void ReplaySchedule::Arm() {
    if (held_ || ended_) return;
    const bool inputsLeft = next_ < replay_.Events.size();
    const int64_t step = inputsLeft ? replay_.Events[next_].Step : replay_.EndStep;
    const int64_t millis = inputsLeft ? replay_.Events[next_].Millis : replay_.EndMillis;
    const int64_t now = clock_();
    int64_t at = 0;
    if (step == StepsDone() && (inputsLeft || EndsBetweenSteps(replay_.End))) {
        at = millis + offset_;
    } else if (CanStep()) {
        // The steps have yet to reach it (or the game ends itself): look again soon, in case the
        // game stops on the way (a level switch) and the input is then awaited by time.
        at = now + kPollMillis;
    } else {
        // The game waits for an input that the recording has only after a later step.
        End(true);
        return;
    }
    if (ArmTimer) ArmTimer(std::clamp<int64_t>(at - now, 0, int64_t{1} << 30));
}

bool ReplaySchedule::Diverged() const {
    return diverged_ ||
           (s_.Unloaded == kTrue &&
            !EndDivergence(s_, replay_, StepsDone(), replay_.Events.size() - next_).empty());
}

void ReplaySchedule::End(bool diverged) {
    if (ended_) return;
    diverged_ = diverged;
    Stop();
    if (OnEnd) OnEnd(diverged);
}

std::optional<std::string> ReplaySchedule::ChangedCaption() {
    const std::string_view suffix = CaptionSuffix();
    if (shownSuffix_ == suffix) return std::nullopt;
    shownSuffix_ = suffix;
    return Caption();
}

std::string_view ReplaySchedule::CaptionSuffix() const {
    if (held_) return " – záznam hry (pauza)";
    if (s_.Paused == kTrue) return " – záznam hry (hráč dal pauzu; mezerník ji přeskočí)";
    return " – záznam hry";
}

}  // namespace ZapModule
