// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Watching a recorded game on the game screen: the schedule of shell/replay_schedule.h on a Qt
// timer and clock, the game loop stepping at the recorded Tick. The viewer's keys never reach
// the rules: P holds the playback, Space skips the rest of a recorded wait (a pause the player
// made, which the caption shows, or the time before the start or between levels), Esc ends it,
// F11 switches full screen. The game over's message box and the hall of fame
// wait for the viewer, as they waited for the player.

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <functional>

#include "frontend/game_loop.h"
#include "frontend/game_screen.h"
#include "model/state.h"
#include "shell/replay_schedule.h"
#include "storage/replay_file.h"

namespace ZapModule {

class ReplayPlayback : public QObject {
  public:
    // The recorded game must have been started on the state (StartRecordedGame).
    ReplayPlayback(GameState& s, GameLoop& loop, GameScreen& screen, Replay replay);
    ~ReplayPlayback() override;

    // Starts feeding the recorded inputs; the screen must be shown.
    void Start();
    // Stops feeding inputs for good (the game screen is closing).
    void Stop();
    bool Held() const { return schedule_.Held(); }
    bool Diverged() const { return schedule_.Diverged(); }

    // The playback ends: Esc, the recorded close of the game screen, or a recording that cannot
    // go on (`diverged`). The game's own ends (quit, game over) unload the screen instead.
    std::function<void(bool diverged)> OnEnd;
    // Held() changed: the game loop is held with the playback.
    std::function<void()> HeldChanged;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // The caption for the watching's state (held by the viewer, in the player's pause, or on),
    // and the sign of the player's pause over the field.
    void ShowState();

    GameState& s_;
    GameLoop& loop_;
    GameScreen& screen_;
    QElapsedTimer clock_;
    QTimer due_;
    ReplaySchedule schedule_;
};

}  // namespace ZapModule
