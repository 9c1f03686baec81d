// SPDX-License-Identifier: GPL-3.0-or-later
// The library's C face: the two self-registration entry points and the player factory with its
// function table. Nothing may throw across this boundary, so every entry catches and falls back
// to "nothing happened".

#include "ports/zapwall_sound_abi.h"
#include "sound_component/audio_session.h"
#include "sound_component/mixer_player.h"

#if defined(_WIN32)
#define ZAPWALL_EXPORT extern "C" __declspec(dllexport)
#else
#define ZAPWALL_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {

constexpr int32_t kSuccess = 0;
constexpr int32_t kAudioUnavailable = 1;

struct PlayerObject : ZapwallSoundPlayer {
    ZapSound::MixerPlayer Player;
};

ZapSound::MixerPlayer& Of(ZapwallSoundPlayer* self) {
    return static_cast<PlayerObject*>(self)->Player;
}

template <typename Action>
void Guarded(Action action) noexcept {
    try {
        action();
    } catch (...) {
    }
}

void Update(ZapwallSoundPlayer* self, int32_t) {
    Guarded([&] { Of(self).Update(); });
}
void StopAll(ZapwallSoundPlayer* self) {
    Guarded([&] { Of(self).StopAll(); });
}
int16_t Play(ZapwallSoundPlayer* self, const char* path, int32_t, int32_t) {
    int16_t channel = -1;
    Guarded([&] { channel = Of(self).Play(path); });
    return channel;
}
void Close(ZapwallSoundPlayer* self) {
    Guarded([&] { Of(self).Close(); });
}
const char* Query(ZapwallSoundPlayer* self) {
    const char* text = "2d_snd";
    Guarded([&] { text = Of(self).Query(); });
    return text;
}
void Open(ZapwallSoundPlayer* self, int32_t, intptr_t, int32_t, int32_t channels) {
    Guarded([&] { Of(self).Open(channels); });
}
void ExtraStart(ZapwallSoundPlayer* self) {
    Guarded([&] { Of(self).ExtraStart(); });
}
void ExtraSelect(ZapwallSoundPlayer* self, const char* name) {
    Guarded([&] { Of(self).ExtraSelect(name); });
}
void Release(ZapwallSoundPlayer* self) {
    delete static_cast<PlayerObject*>(self);
}

constexpr ZapwallSoundPlayerTable kTable = {
    ZAPWALL_SOUND_ABI_VERSION,
    sizeof(ZapwallSoundPlayerTable),
    Update,
    StopAll,
    Play,
    Close,
    Query,
    Open,
    ExtraStart,
    ExtraSelect,
    Release,
};

}  // namespace

ZAPWALL_EXPORT int32_t DllRegisterServer(void) {
    try {
        return ZapSound::Register() ? kSuccess : kAudioUnavailable;
    } catch (...) {
        return kAudioUnavailable;
    }
}

ZAPWALL_EXPORT int32_t DllUnregisterServer(void) {
    Guarded([] { ZapSound::Unregister(); });
    return kSuccess;
}

ZAPWALL_EXPORT ZapwallSoundPlayer* ZapwallCreateSoundPlayer(uint32_t version) {
    // A table only ever grows, so every older version is served by this one.
    if (version == 0 || version > ZAPWALL_SOUND_ABI_VERSION) return nullptr;
    try {
        auto* object = new PlayerObject;
        object->Table = &kTable;
        return object;
    } catch (...) {
        return nullptr;  // no memory or no thread for the worker
    }
}
