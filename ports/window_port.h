// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one narrow interface through which the rules reach the program's windows. The Qt windows
// implement it (frontend/); tests and zapwall-sim use a recording stand-in.

#include <cstdint>
#include <string_view>

namespace ZapModule {

enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

class WindowPort {
  public:
    virtual ~WindowPort() = default;

    // Form1's labels: Label1(0..3) show balls, IQ, level and the player's name; Label3(0..2) are
    // the three messages shown between levels.
    virtual void SetLabel1Text(int index, std::string_view text) = 0;
    virtual void SetLabel3Text(int index, std::string_view text) = 0;
    virtual void SetLabel3Visible(int index, bool visible) = 0;

    // Form1's Timer1: 0 stopped, 1 running.
    virtual int32_t TimerInterval() const = 0;
    virtual void SetTimerInterval(int32_t interval) = 0;

    // A modal message box, shown after the boxes before it, one at a time. It may return before
    // the box closes (the desktop and the page do): the rules ask only for OK and use what it
    // returns, the default button (OK, or Yes), whatever the player then presses.
    virtual MessageAnswer ShowMessage(std::string_view text, std::string_view title,
                                      MessageButtons buttons) = 0;

    // Shows the hall of fame modally (its colour timer set to 100 ms), after the boxes before it;
    // it may return before the window closes.
    virtual void ShowHallOfFame() = 0;
    // The hall of fame table changed: its window shows the new rows.
    virtual void HallOfFameChanged() = 0;

    // Unloads the game screen; its close handler saves and ends the program.
    virtual void UnloadGameScreen() = 0;

    // The menu's sound switch Check1.
    virtual bool SoundSwitchOn() const = 0;

    // Sets the game screen's background picture again (wiping the pressed-button images).
    virtual void ReloadBackground() = 0;
    // Makes the field surface visible: one refresh per drawing pass.
    virtual void RefreshField() = 0;
    // Draws the pressed-button sprite over screen button 0 (start) or 1 (quit) on Form1.
    virtual void DrawButtonPressed(int index) = 0;

    // The menu's player list List1, kept in the order of Players.
    virtual void AppendPlayerLine(std::string_view name) = 0;
    virtual void RemovePlayerLine(int index) = 0;
};

}  // namespace ZapModule
