// SPDX-License-Identifier: GPL-3.0-or-later
#include "sound/sound.h"

#include <string>

#include "ports/window_port.h"

namespace ZapModule {

namespace {

bool SwitchOn(const GameState& s) {
    return s.Window != nullptr && s.Window->SoundSwitchOn();
}

// The component, created on first use; null when there is no way to make one.
SoundComponent* Player(GameState& s) {
    if (!s.SoundPlayer && s.SoundFactory) s.SoundPlayer = s.SoundFactory();
    return s.SoundPlayer.get();
}

}  // namespace

void PlaySound(GameState& s, Effect effect) {
    if (!SwitchOn(s)) return;
    SoundComponent* player = Player(s);
    if (player == nullptr) return;
    const auto index = static_cast<size_t>(effect);
    const std::string path = DataPath(s, "sounds/" + std::string(kEffectFiles[index]));
    s.SoundHandles[index] = player->Play(path, 0, -1);
}

void UpdateSound(GameState& s) {
    if (!SwitchOn(s)) return;
    if (SoundComponent* player = Player(s)) player->Update(-1);
}

void SetUpSound(GameState& s, intptr_t gameWindow) {
    if (!SwitchOn(s)) return;
    SoundComponent* player = Player(s);
    if (player == nullptr) return;
    player->Query();
    player->Open(0, gameWindow, 0, 16);
    s.SoundReady = kTrue;
}

void ShutDownSound(GameState& s) {
    if (s.SoundReady != kTrue) return;
    if (SoundComponent* player = Player(s)) {
        player->StopAll();
        player->Close();
    }
}

void PlayExtraTune(GameState& s) {
    if (SoundComponent* player = Player(s)) {
        player->ExtraSelect("");
        player->ExtraStart();
    }
}

}  // namespace ZapModule
