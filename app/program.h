// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The whole program: the game state, the windows' rules, the data files, the three windows and
// the window interface over them, the entry routine and the close handlers that end the run.

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/user_settings.h"
#include "frontend/game_loop.h"
#include "frontend/game_screen.h"
#include "frontend/gamepad_input.h"
#include "frontend/hall_window.h"
#include "frontend/lazy_window.h"
#include "frontend/menu_window.h"
#include "frontend/qt_window_port.h"
#include "frontend/replay_playback.h"
#include "graphics/sprites.h"
#include "hall_protocol/hall_send.h"
#include "layout/data_layout.h"
#include "model/state.h"
#include "shell/closing.h"
#include "shell/game_start.h"
#include "shell/hall_colours.h"
#include "shell/menu_rules.h"
#include "shell/player_panel_rules.h"
#include "sound/component_loader.h"
#include "storage/disk_data_files.h"
#include "storage/memory_data_files.h"
#include "storage/replay_folder.h"

namespace ZapModule {

class Program {
  public:
    // `layout` gives the folders: the game's data is read from one, the player's files are
    // written to another, the sound library lies in a third. `waker` wakes the game loop between
    // steps.
    explicit Program(const DataLayout& layout, std::unique_ptr<StepWaker> waker = MakeStepWaker());
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // The entry routine: loads everything and shows the menu, whose Start shows the game screen.
    // Returns the exit status when the run already ended (the data folder cannot be played and
    // the player has read why), nothing while a window is up.
    std::optional<int> Start();
    // The menu Start opens has the roster's first player called `name` chosen (a name the roster
    // lacks is said on standard error, and nobody is chosen).
    void ChooseAtStart(std::string name) { chosenAtStart_ = std::move(name); }
    // Finished games are offered to the hall server at `address` (a published set's own), not
    // to the one the player's settings name.
    void OfferResultsTo(std::string address) { resultsServer_ = std::move(address); }
    // Watches the recorded game in `replayFile` on the game screen instead, without the menu;
    // nothing is written. Returns the exit status when the file or the data folder was refused
    // and the player has read why.
    std::optional<int> StartPlayback(const std::string& replayFile);

    // Offers the sends kept for the hall server and `game`'s (the game just ended), when an
    // address is set, and sends on the player's yes: a box in its turn (QtWindowPort::Boxes).
    void OfferHallSends(std::optional<HallSend> game);

    // The entry routine's parts: everything up to the menu (false when the data folder is
    // refused, after saying why) and the menu's showing; the menu's Start shows the game screen,
    // where the recording of the game begins. Load seeds the random source from the clock unless
    // given a seed.
    bool Load(std::optional<uint32_t> seed = std::nullopt);
    // The picture loader Load uses once (the pictures decoded ahead, app/startup_preload.h);
    // without it Load reads every picture itself.
    void UsePictures(PictureLoader load) { pictures_ = std::move(load); }
    // The sound library's registration Load hands to the game (made ahead, app/startup_preload.h);
    // without it Load loads and registers the library itself.
    void UseSound(std::function<SoundRegistration()> take) { sound_ = std::move(take); }
    void ShowMenu();

    // Ends the process with the given status once the close handlers are done (the real program
    // leaves Qt's event loop; tests record it).
    std::function<void(int)> EndProcess;
    bool Ended() const { return refused_ || closing_.Ended(); }

    GameState& State() { return s_; }
    QtWindowPort& Port() { return port_; }
    // The game screen and the hall of fame are built when first used.
    GameScreen& Form1() { return *form1_; }
    MenuWindow& Form2() { return *form2_; }
    HallWindow& Form3() { return *form3_; }
    GameLoop& Timer1() { return *loop_; }
    DiskDataFiles& Files() { return files_; }
    ReplayPlayback* Playback() { return playback_.get(); }
    // The player's own settings (full screen, the hall server), apart from the game's files.
    UserSettings& Settings() { return userSettings_; }
    // The game controllers, once the game screen has been shown.
    GamepadInput* Gamepad() { return gamepad_.get(); }
    // Where the replays of the games go: replays/ in the folder the game writes to.
    std::string ReplayFolder() const { return files_.PathOf(std::string(kReplayFolder)); }

  private:
    void ShowGameScreen();
    // The menu's player panel chooses the roster's first player called `name`.
    void ChoosePlayer(const std::string& name);
    // Says why nothing can be played; the run ends once the player has read it, before any
    // window was shown, without closing through the handlers and without writing anything.
    void Refuse(const std::string& message);
    // Ends the process with `status` (EndProcess), which the entry routine returns if it comes
    // before Qt's event loop runs.
    void EndWith(int status);
    std::unique_ptr<GameScreen> MakeGameScreen();
    // A controller's key reaches the game screen as the keyboard's would, while nothing modal
    // (a message box, the hall of fame) is open over it.
    void ControllerKey(bool down, int qtKey);
    // Holds the game loop while a box is open or a watched replay is held.
    void UpdateHold();

    GameState s_;
    PlayerPanelRules players_{s_};
    MenuRules menu_{s_, players_};
    HallColourCycle hallColours_;
    CloseHandlers closing_{s_};
    GameStart start_{s_, closing_};
    std::string libraryFolder_;
    UserSettings userSettings_;
    std::string resultsServer_;  // empty: the settings' server
    PictureLoader pictures_;
    std::function<SoundRegistration()> sound_;
    DiskDataFiles files_;
    MemoryDataFiles heldFiles_{&files_};  // a playback's writes, kept from the disk
    QtWindowPort port_;
    std::unique_ptr<GameLoop> loop_;
    Surface background_;  // the picture gui, for the game screen
    LazyWindow<GameScreen> form1_{[this] { return MakeGameScreen(); }};
    LazyWindow<HallWindow> form3_{
        [this] { return std::make_unique<HallWindow>(s_, hallColours_); }};
    std::unique_ptr<MenuWindow> form2_;
    std::unique_ptr<ReplayPlayback> playback_;
    std::unique_ptr<GamepadInput> gamepad_;
    bool refused_ = false;
    std::optional<int> endStatus_;
    std::optional<std::string> chosenAtStart_;
};

}  // namespace ZapModule
