// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How every frontend starts: the data folder's loading with the random source's seed, the
// recording of a game from its first moment, and the opening of a recorded game to watch it. A
// frontend only shows what these say (a refusal, the game screen's picture, the speed setting)
// and gives the clock a recording counts its milliseconds by.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "game/replay.h"
#include "graphics/sprites.h"
#include "model/state.h"
#include "shell/closing.h"

namespace ZapModule {

class GameStart {
  public:
    GameStart(GameState& s, CloseHandlers& closing) : s_(s), closing_(closing) {}
    GameStart(const GameStart&) = delete;
    GameStart& operator=(const GameStart&) = delete;

    // What the frontend does for it.
    // Says why nothing can be played (the whole message); the run ends without writing a file.
    std::function<void(const std::string& message)> Refuse;
    // The game screen's picture pictures/gui, as loaded.
    std::function<void(Surface picture)> ShowBackground;
    // The speed setting tick.ko holds, for the menu's speed bar.
    std::function<void(int16_t tick)> ShowTick;

    // Seeds the random source with `seed`, or from the clock without one, makes the field surface
    // and loads the data folder and tick.ko. False once Refuse said why the folder cannot be
    // played.
    bool Load(std::optional<uint32_t> seed, const PictureLoader& pictures);
    // Saves the replay of a game that a killed program left unfinished (SaveCutReplay), before a
    // new game's recording takes its place; what went wrong, for the error output, or nothing.
    std::string SaveCutGame();
    // The game Start has just begun is recorded from now on, every input in memory, with its
    // milliseconds counted by `millis`, and written as it goes into the replay folder's journal;
    // the close handlers keep the replay.
    void BeginRecording(ReplayRecorder::Clock millis);
    // Opens the recorded game in `file` to watch it: reads it, loads the data folder through
    // `load` (the frontend's own loading, which calls Load) with the recorded seed, and makes sure
    // the folder holds the data files the game was recorded with. Nothing once Refuse (or the
    // loading) said why not; the file is named as `shownName`, the name the player knows.
    std::optional<Replay> OpenReplay(const std::string& file, const std::string& shownName,
                                     const std::function<bool(uint32_t seed)>& load);

  private:
    GameState& s_;
    CloseHandlers& closing_;
    ReplayRecorder recorder_;
    // What the last Load started from, which a recording names.
    uint32_t seed_ = 0;
    uint64_t levelsHash_ = 0;
    uint64_t animationsHash_ = 0;
};

}  // namespace ZapModule
