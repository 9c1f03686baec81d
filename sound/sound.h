// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's side of the sound component: the effect table and one function per operation,
// each applying the on/off rule. Play and Update run only while the menu's sound switch Check1 is
// on; Query and Open run at Start only when it is on; StopAll and Close run at exit only when the
// component was set up (SoundReady); the hidden ExtraSelect/ExtraStart pair ignores the switch.
// SoundPlayer is created through GameState::SoundFactory on its first use and kept for the run.

#include <array>
#include <string_view>

#include "model/state.h"

namespace ZapModule {

enum class Effect { Bum = 0, Die, Dot, Effect2, Gong, Palka, Steel, Wall };

// The effect files under data/sounds, by effect index.
inline constexpr std::array<std::string_view, 8> kEffectFiles = {
    "bum.wav",  "die.wav",   "dot.wav",   "effect2.wav",
    "gong.wav", "palka.wav", "steel.wav", "wall.wav"};

// Plays an effect if the sound switch is on, keeping the handle in SoundHandles.
void PlaySound(GameState& s, Effect effect);
// The per-step request, last in every game step, if the sound switch is on.
void UpdateSound(GameState& s);
// Start's set-up, if the sound switch is on: Query (its text discarded), Open(0, window, 0, 16),
// then SoundReady = -1.
void SetUpSound(GameState& s, intptr_t gameWindow);
// One close handler's shutdown calls: StopAll then Close, only while SoundReady is -1.
void ShutDownSound(GameState& s);
// The hidden feature: ExtraSelect("") then ExtraStart(), whatever the switch says.
void PlayExtraTune(GameState& s);

}  // namespace ZapModule
