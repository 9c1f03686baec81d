// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The whole program in the page: the game state, the player's files, the windows' rules, the
// window interface over the page, the game loop, the recording of every game and the watching of
// a recorded one. It does in the page's order what app/program.cpp does on the desktop; the
// page's script forwards the player's input here (page_exports.cpp) and shows what the rules
// say. Everything it keeps is written through the desktop's close handlers.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "browser/app/page_window_port.h"
#include "browser/app/user_files.h"
#include "graphics/sprites.h"
#include "hall_protocol/hall_send.h"
#include "model/state.h"
#include "shell/closing.h"
#include "shell/game_loop_core.h"
#include "shell/game_start.h"
#include "shell/hall_colours.h"
#include "shell/menu_rules.h"
#include "shell/player_panel_rules.h"
#include "shell/pointer_steering.h"
#include "shell/replay_schedule.h"
#include "storage/memory_data_files.h"

namespace ZapModule {

// What the page calls the program's parts.
struct PageLinks {
    GameLoopCore::Clock Clock;                       // milliseconds, never going back
    GameLoopCore::Schedule LoopTimer;                // the game loop's next call
    std::function<void(int64_t delay)> ReplayTimer;  // the watching's next call; -1 cancels
    std::function<void(const std::string& caption)> GameCaption;
    std::function<void(int status)> EndProgram;   // the program has ended
    std::function<void(bool paused)> PausedSign;  // shows or hides the paused sign on the field
    UserFiles::ChangeReport FilesChanged;
};

class PageProgram {
  public:
    // `dataFolder` holds the game's data, `userFolder` the player's files.
    PageProgram(std::string dataFolder, std::string userFolder, PictureLoader pictures,
                PageLinks links);
    PageProgram(const PageProgram&) = delete;
    PageProgram& operator=(const PageProgram&) = delete;

    // Loads everything up to the menu; false when the data folder is refused (after saying why;
    // the program has ended).
    bool Start();
    // Watches the recorded game in `replayFile` on the game screen instead, without the menu;
    // nothing is written. False when the file or the data folder is refused, saying why with the
    // name the player knows the file by.
    bool Watch(const std::string& replayFile, const std::string& shownName);

    // The menu.
    PlayerPanelRules& Players() { return players_; }
    MenuRules& Menu() { return menu_; }
    HallColourCycle& HallColours() { return hallColours_; }
    // A phone kills a tab in the background without a word, so the page writes what the menu
    // changed at once instead of only when it closes: the roster after a player was made,
    // deleted or given another level, tick.ko after the speed bar moved (when its value is not
    // the one last written).
    void KeepRoster();
    void KeepTick();
    // Start: true when the menu hands over to the game screen, whose game is recorded from now.
    bool StartGame();
    // Exit, or the menu's close box.
    void CloseMenu() { closing_.CloseMenu(); }

    // The game screen: its keys on the field and presses of a mouse button at a point of the
    // window. A held key repeats its key-down (`repeat`), which the game takes as a press, as on
    // the desktop; its release comes once, when the key is let go.
    void KeyDown(int code, bool repeat);
    void KeyUp(int code);
    void Press(double x, double y);
    // The mouse on the field, at a row of the field's pixels: a click (Space, and the bat
    // follows the pointer) and the pointer at a row; and a finger touching, moving and lifted
    // (or taken by the system), at a point of the field's pixels, which the steering tells a tap
    // by (PointerSteering). They steer the bat by its arrow keys, recorded as the keyboard's
    // are; a watched game takes none.
    void PointerTap(double y);
    void PointerAt(double y);
    void FingerDown(double x, double y);
    void FingerMove(double x, double y);
    void FingerUp(bool cancelled);
    // The game screen's close box. A finger on it, which may have slipped, asks first while a
    // game is in play (AskToCloseGameScreen): the question is a box of the rules' queue, so the
    // game is held while it is open, and its yes closes the game screen as the box does.
    void CloseGameScreen();
    void AskToCloseGameScreen();
    // The page was hidden or shown again. A hidden page cannot keep the game's pace, so a game
    // in play pauses as with P (the pause is the player's input, recorded like any other) and
    // waits for P; a watched game holds and goes on when the page is shown again. True when a
    // game was paused.
    bool SetHidden(bool hidden);

    // The page closed a box the rules opened, with yes (`yes`) or another button.
    void ModalClosed(bool yes);
    double RunLoop() { return loop_.Run(); }
    // The display frame the field asked for.
    void ShowField() { port_.ShowField(); }
    // The display frame the game screen's picture asked for.
    void ShowBackground() { port_.ShowBackground(); }
    void ReplayTimerFired();

    const GameState& State() const { return s_; }
    // What the game that ended offers to send to a hall server (CloseHandlers::FinishedGame).
    const std::optional<HallSend>& FinishedGame() const { return closing_.FinishedGame(); }
    bool Watching() const { return schedule_ != nullptr; }
    bool Ended() const { return ended_; }

  private:
    bool Load(std::optional<uint32_t> seed);
    void End(int status);
    void UpdateHold();
    void ShowCaption();
    // Hands a player's key to the rules, telling the pointer's steering first.
    void PlayerKey(bool down, int code);
    // Shows the paused sign when the game's pause changed.
    void ShowPaused();

    GameState s_;
    PictureLoader pictures_;
    PageLinks links_;
    UserFiles files_;
    MemoryDataFiles heldFiles_{&files_};  // a watching's writes, kept from the player's files
    GameLoopCore loop_;
    PageWindowPort port_;
    PlayerPanelRules players_;
    MenuRules menu_;
    HallColourCycle hallColours_;
    CloseHandlers closing_;
    GameStart start_;
    std::unique_ptr<ReplaySchedule> schedule_;
    PointerSteering steering_;
    // The game screen's caption of a game in play was shown (a watched game's is the schedule's).
    bool captionShown_ = false;
    bool heldByHiding_ = false;
    bool pausedShown_ = false;
    bool closeAsked_ = false;  // the box open is the question of AskToCloseGameScreen
    bool ended_ = false;
    int tickKept_ = -1;  // the value tick.ko was last written with; -1 before the first
};

}  // namespace ZapModule
