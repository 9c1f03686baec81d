// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/replay.h"

#include <algorithm>
#include <string_view>

#include "game/input.h"
#include "game/level_flow.h"
#include "game/state_difference.h"
#include "game/tick.h"
#include "ports/window_port.h"

namespace ZapModule {

void ReplayRecorder::Begin(const GameState& s, const ReplayOrigin& origin, Clock clock,
                           const std::string& journalFolder) {
    replay_ = Replay{};
    replay_.Recorded = origin.Recorded;
    replay_.Seed = origin.Seed;
    replay_.Tick = s.Tick;
    replay_.Sound = s.Window != nullptr && s.Window->SoundSwitchOn();
    replay_.LevelsHash = origin.LevelsHash;
    replay_.AnimationsHash = origin.AnimationsHash;
    replay_.WallPictureHeight = WallPictureHeight(s);
    replay_.Current = s.CurrentPlayer;
    replay_.Roster = s.Players;
    replay_.Player = s.CurrentPlayer >= 0 && static_cast<size_t>(s.CurrentPlayer) < s.Players.size()
                         ? s.Players[static_cast<size_t>(s.CurrentPlayer)]
                         : PlayerRecord{s.PlayerName, s.Iq, s.Level, s.BallsLeft};
    replay_.Hall = s.Hall;
    // Even a game with held keys delivers a few inputs a second: room for the first hour or so,
    // so that appending hardly ever moves the list.
    replay_.Events.reserve(1u << 16);
    clock_ = std::move(clock);
    start_ = clock_();
    firstStep_ = s.Steps;
    recording_ = true;
    if (!journalFolder.empty()) journal_.Begin(journalFolder, replay_);
}

void ReplayRecorder::Input(const GameState& s, ReplayInput what, int32_t a, int32_t b) {
    if (!recording_) return;
    replay_.Events.push_back(ReplayEvent{s.Steps - firstStep_, clock_() - start_, what, a, b});
    journal_.Append(replay_.Events.back());
}

Replay ReplayRecorder::Finish(const GameState& s) {
    replay_.EndStep = s.Steps - firstStep_;
    replay_.EndMillis = clock_() - start_;
    replay_.End = EndOf(s);
    recording_ = false;
    return std::move(replay_);
}

ReplayEnd EndOf(const GameState& s) {
    if (s.Unloaded != kTrue) return ReplayEnd::Closed;
    return s.ButtonDown[1] == kTrue && s.QuitCountdown < 1 ? ReplayEnd::Quit : ReplayEnd::GameOver;
}

namespace {

// How a game ended, as a reason says it.
std::string_view EndText(ReplayEnd end) {
    switch (end) {
        case ReplayEnd::Quit:
            return "hráč ji ukončil";
        case ReplayEnd::GameOver:
            return "hráč prohrál";
        case ReplayEnd::Closed:
            return "okno hry se zavřelo";
        case ReplayEnd::Cut:
            return "záznam byl přerušen";
    }
    return {};
}

}  // namespace

std::string EndDivergence(const GameState& s, const Replay& r, int64_t steps, size_t inputsLeft) {
    const ReplayEnd end = EndOf(s);
    // A recording cut short ends where it stops, as a close does.
    const ReplayEnd recorded = r.End == ReplayEnd::Cut ? ReplayEnd::Closed : r.End;
    if (steps == r.EndStep && end == recorded && inputsLeft == 0) return {};
    // A game that did not end itself was stopped where its recording stops.
    const std::string played = end == ReplayEnd::Closed
                                   ? "hra po kroku " + std::to_string(steps) + " sama neskončila"
                                   : "hra skončila po kroku " + std::to_string(steps) + " (" +
                                         std::string(EndText(end)) + ")";
    return played + ", nedoručených vstupů zbylo " + std::to_string(inputsLeft) +
           "; nahraná hra skončila po kroku " + std::to_string(r.EndStep) + " (" +
           std::string(EndText(r.End)) + ")";
}

std::optional<std::string> DifferingDataFile(const Replay& r, const GameState& s,
                                             uint64_t levelsHash, uint64_t animationsHash) {
    if (r.LevelsHash != levelsHash) return "levels.ko";
    if (r.AnimationsHash != animationsHash) return "animations.ko";
    if (r.WallPictureHeight != WallPictureHeight(s)) return SpritePicture(kWallSprite);
    return std::nullopt;
}

void StartRecordedGame(GameState& s, const Replay& r) {
    // The menu's list shows the roster the game began with, so that a game over removes the
    // right line.
    for (size_t line = s.Players.size(); line > 0; --line)
        s.Window->RemovePlayerLine(static_cast<int>(line - 1));
    s.Players = r.Roster;
    for (const PlayerRecord& p : s.Players) s.Window->AppendPlayerLine(p.Name);
    s.Hall = r.Hall;
    s.Window->HallOfFameChanged();
    if (r.Current >= 0) {
        StartGame(s, r.Current, r.Tick);
    } else {
        StartGameAs(s, r.Player, r.Tick);
    }
}

void DeliverInput(GameState& s, const ReplayEvent& e) {
    switch (e.What) {
        case ReplayInput::KeyDown:
            FieldKeyDown(s, e.A);
            break;
        case ReplayInput::KeyUp:
            FieldKeyUp(s, e.A);
            break;
        case ReplayInput::Click:
            ScreenMouseDown(s, e.A, e.B);
            break;
    }
}

RecordedGame::RecordedGame(GameState& s, const Replay& r) : s_(s), r_(r), first_(s.Steps) {}

bool RecordedGame::Step(const std::function<void(int64_t step)>& beforeStep) {
    if (over_) return false;
    while (next_ < r_.Events.size() && r_.Events[next_].Step == Steps())
        DeliverInput(s_, r_.Events[next_++]);
    over_ = s_.Unloaded == kTrue || Steps() >= r_.EndStep;
    // A stopped timer or a pause waits for input; with none left the game went no further.
    if (!over_ && (s_.Window->TimerInterval() == 0 || s_.Paused != kFalse)) {
        over_ = true;
        if (next_ < r_.Events.size())
            divergence_ = "po kroku " + std::to_string(Steps()) +
                          " hra čeká na vstup, ale další nahraný přišel až před krokem " +
                          std::to_string(r_.Events[next_].Step);
    }
    if (over_) return false;
    if (beforeStep) beforeStep(Steps());
    GameStep(s_);
    return true;
}

int64_t RecordedGame::Steps() const {
    return s_.Steps - first_;
}

ReplayRun RecordedGame::Result() const {
    ReplayRun run{Steps(), divergence_};
    if (run.Divergence.empty())
        run.Divergence = EndDivergence(s_, r_, run.Steps, r_.Events.size() - next_);
    return run;
}

ReplayRun RunRecordedGame(GameState& s, const Replay& r,
                          const std::function<void(int64_t step)>& beforeStep) {
    RecordedGame game(s, r);
    while (game.Step(beforeStep)) {
    }
    return game.Result();
}

TwinRun RunRecordedGameTwice(GameState& a, GameState& b, const Replay& r, int64_t every,
                             const std::function<void(GameState& s, int64_t step)>& beforeStep) {
    RecordedGame first(a, r), second(b, r);
    auto hook = [&](GameState& s) {
        return [&](int64_t step) {
            if (beforeStep) beforeStep(s, step);
        };
    };
    TwinRun twin;
    for (bool more = true;;) {
        if (!more || first.Steps() % std::max<int64_t>(every, 1) == 0) {
            twin.Difference = DataDifference(a, b);
            if (!twin.Difference.empty()) {
                twin.DifferingAfter = first.Steps();
                break;
            }
        }
        if (!more) break;
        more = first.Step(hook(a));
        second.Step(hook(b));
    }
    twin.Run = first.Result();
    return twin;
}

}  // namespace ZapModule
