// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The window interface of the rules over the real Qt windows. Message boxes and the hall of fame
// never wait inside the rules' call: they are shown one at a time (Boxes), each modal for the
// player and without an event loop of its own, and the call returns at once (OK is the only
// answer the rules ask for). While one is open the game loop is held, and the game screen's
// unloading waits until the last has closed, as the rules' order has it.

#include <functional>
#include <string>

#include "frontend/game_loop.h"
#include "frontend/game_screen.h"
#include "frontend/hall_window.h"
#include "frontend/lazy_window.h"
#include "frontend/menu_window.h"
#include "ports/window_port.h"
#include "shell/box_queue.h"

namespace ZapModule {

class QtWindowPort : public WindowPort {
  public:
    // The windows are attached once they exist (the game screen and the hall of fame are built
    // when first used); message boxes work before that.
    void Attach(LazyWindow<GameScreen>* screen, GameLoop* loop, MenuWindow* menu,
                LazyWindow<HallWindow>* hall);

    void SetLabel1Text(int index, std::string_view text) override;
    void SetLabel3Text(int index, std::string_view text) override;
    void SetLabel3Visible(int index, bool visible) override;
    int32_t TimerInterval() const override;
    void SetTimerInterval(int32_t interval) override;
    MessageAnswer ShowMessage(std::string_view text, std::string_view title,
                              MessageButtons buttons) override;
    void ShowHallOfFame() override;
    void HallOfFameChanged() override;
    void UnloadGameScreen() override;
    bool SoundSwitchOn() const override;
    void ReloadBackground() override;
    void RefreshField() override;
    void DrawButtonPressed(int index) override;
    void AppendPlayerLine(std::string_view name) override;
    void RemovePlayerLine(int index) override;

    // Asks a question of the player in a box with "Ano" and "Ne"; `yes` runs once the player
    // answered Ano.
    void Ask(const std::string& question, const std::string& title, std::function<void()> yes);
    // The boxes over the windows, shown one at a time.
    BoxQueue& Boxes() { return boxes_; }

    // Answers message boxes in place of the real one (tests set it).
    using MessageHandler = std::function<MessageAnswer(
        const std::string& text, const std::string& title, MessageButtons buttons)>;
    MessageHandler Messages;

  private:
    // Shows a message box in its turn; `answered` gets the button that closed it.
    void OpenMessageBox(std::string text, std::string title, MessageButtons buttons,
                        std::function<void(MessageAnswer)> answered);

    GameScreen& Screen() { return **screen_; }

    LazyWindow<GameScreen>* screen_ = nullptr;
    GameLoop* loop_ = nullptr;
    MenuWindow* menu_ = nullptr;
    LazyWindow<HallWindow>* hall_ = nullptr;
    BoxQueue boxes_;
};

}  // namespace ZapModule
