// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The window interface of the rules over the real Qt windows.

#include <functional>
#include <string>

#include "frontend/game_loop.h"
#include "frontend/game_screen.h"
#include "frontend/hall_window.h"
#include "frontend/lazy_window.h"
#include "frontend/menu_window.h"
#include "game/contract/window_port.h"

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

    // Answers message boxes in place of the real one (tests set it).
    using MessageHandler = std::function<MessageAnswer(
        const std::string& text, const std::string& title, MessageButtons buttons)>;
    MessageHandler Messages;

  private:
    GameScreen& Screen() { return **screen_; }

    LazyWindow<GameScreen>* screen_ = nullptr;
    GameLoop* loop_ = nullptr;
    MenuWindow* menu_ = nullptr;
    LazyWindow<HallWindow>* hall_ = nullptr;
};

}  // namespace ZapModule
