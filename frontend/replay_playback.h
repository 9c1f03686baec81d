#pragma once
// Watching a recorded game on the game screen. The recorded inputs reach the rules exactly where
// the game delivered them, between the same two game steps; the game loop steps at the recorded
// Tick. While the game waits (before the start, between levels, paused) an input comes after the
// time it came in the game, measured from the input before it, so the messages between levels
// and the pauses last as long as they did. The viewer's keys never reach the rules: P holds the
// playback, Esc ends it. The game over's message box and the hall of fame wait for the viewer,
// as they waited for the player.

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <cstdint>
#include <functional>

#include "frontend/game_loop.h"
#include "frontend/game_screen.h"
#include "game/state.h"
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
    // Holds or resumes the playback (the viewer's P).
    void SetHeld(bool held);
    bool Held() const { return held_; }

    // The playback ends: Esc, the recorded close of the game screen, or a recording that cannot
    // go on (`diverged`). The game's own ends (quit, game over) unload the screen instead.
    std::function<void(bool diverged)> OnEnd;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    int64_t Now() const { return clock_.elapsed(); }
    int64_t StepsDone() const { return s_.Steps - firstStep_; }
    bool CanStep() const;
    // Delivers the next input and keeps the gap to the one after it as recorded.
    void DeliverNext();
    // Delivers the inputs that are due by time; at a pass that will step, the rest of those that
    // came before that step too.
    void DeliverDue(bool stepComing);
    void BeforePass();
    void Arm();
    void End(bool diverged);
    void ShowTitle();

    GameState& s_;
    GameLoop& loop_;
    GameScreen& screen_;
    Replay replay_;
    size_t next_ = 0;
    int64_t firstStep_ = 0;
    int64_t offset_ = 0;  // playback time minus recorded time
    int64_t heldSince_ = 0;
    bool held_ = false;
    bool ended_ = false;
    QString title_;  // the game screen's own caption
    QElapsedTimer clock_;
    QTimer due_;
};

}  // namespace ZapModule
