// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The close handlers of the game screen and of the menu, and what each keeps. Whichever window
// closes first runs its handler, which closes the other window and so runs the other handler
// inside it; the first handler ends the program when the chain is done, after one message
// naming every file that could not be saved. Either way the sprites are released, the sound
// component is shut down and unregistered, the current player's progress is stored, players.ko
// and tick.ko are written and the game's replay is kept.

#include <functional>
#include <optional>
#include <string>

#include "hall_protocol/hall_send.h"
#include "model/state.h"

namespace ZapModule {

class ReplayRecorder;

// What the game screen's close handler keeps of a game: the current player's progress stored in
// the roster, and players.ko written. zapwall-sim's --save keeps a game's result with it too.
void KeepPlayersProgress(GameState& s);

class CloseHandlers {
  public:
    explicit CloseHandlers(GameState& s) : s_(s) {}

    // What the platform does for the handlers.
    std::function<void()> StopGameLoop;          // Timer1 stops
    std::function<int16_t()> TickSetting;        // the menu's speed bar, saved to tick.ko
    std::function<void(int status)> EndProgram;  // closes every window and ends the process
    // The recorder of the game being played, and the folder its replay is kept in; no recorder
    // while nothing is recorded.
    ReplayRecorder* Recorder = nullptr;
    std::string ReplayFolder;

    // The game screen's close handler.
    void CloseGameScreen();
    // The menu's close handler (Exit, or its close box before a game was started).
    void CloseMenu();
    // The game screen's close handler while a replay is watched: everything is released, nothing
    // is saved. A watching that left its recording (`diverged`) says so and ends with status 1,
    // as zapwall-sim does.
    void ClosePlayback(bool diverged = false);

    bool Ended() const { return ended_; }
    // What the game the game screen's closing ended offers to send to a hall server
    // (OfferedHallSend): nothing before, and for a game closed mid-play.
    const std::optional<HallSend>& FinishedGame() const { return finishedGame_; }

  private:
    // What the game screen's closing releases, saving or not: the sprites, the sound component
    // (shut down and unregistered) and the level file.
    void Release();
    // A handler's work, its failed saves told together; the outermost handler then ends.
    void Closing(const std::function<void()>& work);
    void End(int status);

    GameState& s_;
    bool gameScreenClosing_ = false;
    bool menuClosing_ = false;
    int closing_ = 0;  // handlers running, one inside another
    bool ended_ = false;
    std::optional<HallSend> finishedGame_;
};

}  // namespace ZapModule
