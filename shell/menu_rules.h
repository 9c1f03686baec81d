// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The rules of the main menu, without any window: the speed setting "Tick" with its label, the
// sound switch "Zvuky", the hover frames of the three commands and what Start does. A view shows
// the state after forwarding each input.

#include <array>
#include <cstdint>
#include <string>

#include "model/state.h"
#include "storage/tick.h"

namespace ZapModule {

class PlayerPanelRules;

// A colour as 0xRRGGBB.
using Rgb = uint32_t;

class MenuRules {
  public:
    enum Command { kStart = 0, kHallOfFame = 1, kExit = 2 };

    // The speed bar's range and steps: an arrow moves it by 1, a press beside the thumb by 5.
    static constexpr int kTickArrowStep = 1;
    static constexpr int kTickPageStep = 5;

    MenuRules(GameState& s, PlayerPanelRules& players) : s_(s), players_(players) {}

    // The speed bar moved (by a key, a press or a drag) or was set from tick.ko; the value is
    // held to 1...10000.
    void SetTick(int value);
    int16_t Tick() const { return tick_; }
    // "Tick: " and the value, the label above the speed bar.
    std::string TickText() const;

    void SetSoundOn(bool on) { soundOn_ = on; }
    bool SoundOn() const { return soundOn_; }

    // The pointer moved over a command: its frame turns yellow, the others grey. Nothing turns
    // it back when the pointer leaves.
    void Hover(Command command);
    Rgb FrameColour(Command command) const { return frames_[command]; }

    // Start: with a player chosen, sets up the sound component (when the switch is on), saves
    // the roster and starts that player's game at the speed set; true when the menu is to hide
    // and hand over to the game screen, false (nothing done) when nobody is chosen.
    bool Start(intptr_t gameWindow);

  private:
    GameState& s_;
    PlayerPanelRules& players_;
    int16_t tick_ = kDefaultTick;
    bool soundOn_ = true;
    std::array<Rgb, 3> frames_{0x808080, 0x808080, 0x808080};
};

}  // namespace ZapModule
