#pragma once
// The whole program: the game state, the data files, the three windows and the window interface
// over them, the entry routine and the two close handlers that end the run.

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "frontend/game_loop.h"
#include "frontend/game_screen.h"
#include "frontend/hall_window.h"
#include "frontend/menu_window.h"
#include "frontend/qt_window_port.h"
#include "game/state.h"
#include "layout/data_layout.h"
#include "storage/disk_data_files.h"

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

    // The entry routine: loads everything, shows the menu modally and then the game screen.
    // Returns the exit status when the run already ended (the menu was closed, or the data folder
    // cannot be played), nothing while the game screen is up.
    std::optional<int> Start();

    // The entry routine's parts: everything up to the menu (false when the data folder is
    // refused, after saying why), the modal menu, and the game screen's showing.
    bool Load();
    void RunMenu();
    void ShowGameScreen();

    // Ends the process with the given status once the close handlers are done (the real program
    // leaves Qt's event loop; tests record it).
    std::function<void(int)> EndProcess;
    bool Ended() const { return ended_; }

    GameState& State() { return s_; }
    QtWindowPort& Port() { return port_; }
    GameScreen& Form1() { return *form1_; }
    MenuWindow& Form2() { return *form2_; }
    HallWindow& Form3() { return *form3_; }
    GameLoop& Timer1() { return *loop_; }
    DiskDataFiles& Files() { return files_; }

  private:
    void CloseGameScreen();
    void CloseMenu();
    void CloseLevelFile();
    void End(int status);

    GameState s_;
    std::string libraryFolder_;
    DiskDataFiles files_;
    QtWindowPort port_;
    std::unique_ptr<GameLoop> loop_;
    std::unique_ptr<GameScreen> form1_;
    std::unique_ptr<HallWindow> form3_;
    std::unique_ptr<MenuWindow> form2_;
    bool gameScreenClosing_ = false;
    bool menuClosing_ = false;
    bool ended_ = false;
};

}  // namespace ZapModule
