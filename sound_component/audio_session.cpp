// SPDX-License-Identifier: GPL-3.0-or-later
#include "sound_component/audio_session.h"

#include <mutex>

#define SDL_MAIN_HANDLED
#include <SDL.h>

#ifdef __linux__
#include <dlfcn.h>
#endif

namespace ZapSound {

namespace {

std::mutex& SessionLock() {
    static std::mutex lock;
    return lock;
}

bool registered = false;
const void* mixerOwner = nullptr;
int audioUsers = 0;

bool StartSubsystem() {
    // The game owns Ctrl+C and the terminal: SDL must neither catch signals nor log.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_LogSetAllPriority(SDL_NUM_LOG_PRIORITIES);
    bool started = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    if (!started) {
        // No driver starts (no sound server, no card, or a misspelt SDL_AUDIODRIVER): the dummy
        // driver consumes the sound without playing it.
        SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
        started = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    }
    if (started) ++audioUsers;
    return started;
}

void StopSubsystem() {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    // When the component's last user is gone and nothing else in the process still uses SDL (the
    // desktop's gamepad input shares the library), SDL lets go of everything it still holds
    // (hints, log settings, event queues).
    if (--audioUsers == 0 && SDL_WasInit(0) == 0) SDL_Quit();
}

#ifdef __linux__
extern "C" void DropAlsaMessage(const char*, int, const char*, int, const char*, ...) {}
using AlsaErrorHandler = void (*)(const char*, int, const char*, int, const char*, ...);
using SetAlsaErrorHandler = int (*)(AlsaErrorHandler);
#endif

}  // namespace

bool AcquireAudio() {
    std::lock_guard guard(SessionLock());
    return StartSubsystem();
}

void ReleaseAudio() {
    std::lock_guard guard(SessionLock());
    StopSubsystem();
}

std::string CurrentDriver() {
    std::lock_guard guard(SessionLock());
    const char* driver = SDL_GetCurrentAudioDriver();
    return driver != nullptr ? driver : "";
}

bool Register() {
    std::lock_guard guard(SessionLock());
    if (!registered) registered = StartSubsystem();
    return registered;
}

void Unregister() {
    std::lock_guard guard(SessionLock());
    if (!registered) return;
    registered = false;
    StopSubsystem();
}

bool ClaimMixer(const void* owner) {
    std::lock_guard guard(SessionLock());
    if (mixerOwner != nullptr && mixerOwner != owner) return false;
    mixerOwner = owner;
    return true;
}

void ReleaseMixer(const void* owner) {
    std::lock_guard guard(SessionLock());
    if (mixerOwner == owner) mixerOwner = nullptr;
}

int WithDeviceMessagesSilenced(const std::function<int()>& open) {
#ifdef __linux__
    // SDL has loaded ALSA by now if it uses it; borrow that copy, never load a second one.
    void* alsa = dlopen("libasound.so.2", RTLD_LAZY | RTLD_NOLOAD);
    auto setHandler =
        alsa != nullptr
            ? reinterpret_cast<SetAlsaErrorHandler>(dlsym(alsa, "snd_lib_error_set_handler"))
            : nullptr;
    if (setHandler != nullptr) setHandler(DropAlsaMessage);
    const int result = open();
    // Back to ALSA's own handler, so nothing in ALSA points into this library afterwards.
    if (setHandler != nullptr) setHandler(nullptr);
    if (alsa != nullptr) dlclose(alsa);
    return result;
#else
    return open();
#endif
}

}  // namespace ZapSound
