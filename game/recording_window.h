// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A window stand-in without any window system, for tests and zapwall-sim: it keeps what the
// rules show (labels, timer, messages, player list) and answers every message box with its
// default button.

#include <array>
#include <string>
#include <vector>

#include "game/screen_texts.h"
#include "model/state.h"
#include "ports/window_port.h"

namespace ZapModule {

class RecordingWindow : public WindowPort {
  public:
    struct Message {
        std::string Text;
        std::string Title;
        MessageButtons Buttons;
    };

    std::array<std::string, 4> Label1{"0", "0", "0", std::string(kNoPlayerName)};
    std::array<std::string, 3> Label3{std::string(kBetweenLevelTexts[0]),
                                      std::string(kBetweenLevelTexts[1]),
                                      std::string(kBetweenLevelTexts[2])};
    std::array<bool, 3> Label3Visible{false, false, false};
    int32_t Interval = 0;
    bool SoundSwitch = true;
    bool Unloaded = false;
    int HallShown = 0;
    int HallChanges = 0;
    int BackgroundReloads = 0;
    int Refreshes = 0;
    std::array<int, 2> ButtonDraws{0, 0};
    std::vector<Message> Messages;
    std::vector<std::string> PlayerLines;
    // The answer to Yes/No questions (the default button is Yes).
    MessageAnswer YesNoAnswer = MessageAnswer::Yes;

    void SetLabel1Text(int index, std::string_view text) override;
    void SetLabel3Text(int index, std::string_view text) override;
    void SetLabel3Visible(int index, bool visible) override;
    int32_t TimerInterval() const override { return Interval; }
    void SetTimerInterval(int32_t interval) override { Interval = interval; }
    MessageAnswer ShowMessage(std::string_view text, std::string_view title,
                              MessageButtons buttons) override;
    void ShowHallOfFame() override { ++HallShown; }
    void HallOfFameChanged() override { ++HallChanges; }
    void UnloadGameScreen() override { Unloaded = true; }
    bool SoundSwitchOn() const override { return SoundSwitch; }
    void ReloadBackground() override { ++BackgroundReloads; }
    void RefreshField() override { ++Refreshes; }
    void DrawButtonPressed(int index) override;
    void AppendPlayerLine(std::string_view name) override { PlayerLines.emplace_back(name); }
    void RemovePlayerLine(int index) override;
};

}  // namespace ZapModule
