// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Form2, the main menu on screen: the player panel, the sound switch, the speed setting "Tick",
// the commands Start, "Síň slávy" and Exit with their hover frames, the dedication, the credits
// and the story. It shows the state of MenuRules and forwards every input to them. It is shown
// once; Start hides it and hands over to the game screen (OnStarted).

#include <QCheckBox>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QWidget>
#include <array>
#include <functional>

#include "frontend/game_screen.h"
#include "frontend/lazy_window.h"
#include "frontend/look.h"
#include "frontend/player_panel.h"
#include "frontend/scaled_layout.h"
#include "frontend/speed_bar.h"
#include "model/state.h"
#include "shell/menu_rules.h"

namespace ZapModule {

class MenuWindow : public QWidget {
  public:
    using Command = MenuRules::Command;
    static constexpr Command kStart = MenuRules::kStart;
    static constexpr Command kHallOfFame = MenuRules::kHallOfFame;
    static constexpr Command kExit = MenuRules::kExit;

    // Start hands over to `gameScreen` (built then if it was not yet), "Síň slávy" opens the hall
    // of fame through the window interface.
    MenuWindow(GameState& s, MenuRules& rules, PlayerPanelRules& players,
               LazyWindow<GameScreen>& gameScreen);

    // Shows the menu, fitted and centred, with the player list focused.
    void Show();
    // The window's size in game pixels.
    static constexpr QSize kDesign{MenuDesign::kWindow.Width, MenuDesign::kWindow.Height};
    // Scales and sizes the window for its screen (Show does it).
    void FitToScreen();
    // A menu item was pressed (with any mouse button).
    void RunCommand(int command);
    // The pointer moved over a menu item.
    void Hover(int command);

    bool SoundSwitchOn() const { return rules_.SoundOn(); }
    int16_t TickSetting() const { return rules_.Tick(); }
    void SetTickSetting(int16_t value) { hScroll1_->setValue(value); }

    PlayerPanel& Players() { return *panel_; }
    Panel* Frame() { return frame_; }
    QCheckBox* SoundSwitch() { return check1_; }
    QScrollBar* TickBar() { return hScroll1_; }
    ActiveLabel* TickLabel() { return tickLabel_; }
    ActiveLabel* MenuItem(int command) { return items_.at(static_cast<size_t>(command)); }
    QColor ItemFrameColour(int command) const;
    QPlainTextEdit* Story() { return story_; }

    // The close handler: runs on Exit and when the window is closed by any means.
    std::function<void()> OnClose;
    // Start has hidden the menu: the game screen is to be shown.
    std::function<void()> OnStarted;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void Start();

    GameState& s_;
    MenuRules& rules_;
    LazyWindow<GameScreen>& gameScreen_;
    Panel* frame_;
    PlayerPanel* panel_;
    QCheckBox* check1_;
    ActiveLabel* tickLabel_;
    SpeedBar* hScroll1_;
    QPlainTextEdit* story_;
    std::array<ActiveLabel*, 3> items_{};
    std::array<int, 3> itemFrames_{};
    ScaledLayout layout_;
};

}  // namespace ZapModule
