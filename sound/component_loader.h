// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's side of the sound component library 2d_snd: it is found in the program's own
// folder, registered at start-up and unregistered at exit, and the game's SoundPlayer is an
// adapter over the player object the library creates. A missing or failing library is reported
// once in a message box and leaves the game silent; it never stops the game. The browser edition
// has no such library: there registering and unregistering do nothing, and the page puts its own
// sound component into SoundFactory.

#include <memory>
#include <string>
#include <string_view>

#include "model/state.h"

namespace ZapModule {

#ifdef _WIN32
inline constexpr std::string_view kSoundLibraryFile = "2d_snd.dll";
#else
inline constexpr std::string_view kSoundLibraryFile = "2d_snd.so";
#endif

inline constexpr std::string_view kSoundLoadFailedText = "Chyba během načítání!";
inline constexpr std::string_view kSoundCleanupFailedText = "Chyba při čištění paměti!";

class SoundLibrary;

// The library loaded and its DllRegisterServer called, not yet handed to a game. Loading the
// library maps its whole audio stack and registering starts the audio system: start-up does both
// on a thread of its own and hands the result to RegisterSound at the entry routine's step. One
// that is never handed over is unregistered, silently, when it goes.
class SoundRegistration {
  public:
    SoundRegistration() = default;
    SoundRegistration(SoundRegistration&&) = default;
    SoundRegistration& operator=(SoundRegistration&&) = default;
    ~SoundRegistration();

  private:
    friend SoundRegistration LoadSoundLibrary(const std::string& folder);
    friend void RegisterSound(GameState& s, SoundRegistration registration);

    std::shared_ptr<SoundLibrary> library_;  // null when none could be loaded
    bool registered_ = false;
};

// Loads the library from `folder` (normally the program's own, platform/program_place.h) and calls
// its DllRegisterServer. Any thread may do it; nothing is reported yet.
SoundRegistration LoadSoundLibrary(const std::string& folder);
// Hands the registration to the game. When the library, DllRegisterServer or the player factory
// is missing, or the status was not 0, shows "Chyba během načítání!" (OK button, caption
// "Zapwall") and SoundFactory yields nothing; otherwise SoundFactory creates players from the
// library.
void RegisterSound(GameState& s, SoundRegistration registration);
// Both at once.
void RegisterSound(GameState& s, const std::string& folder);

// Calls DllUnregisterServer of the library RegisterSound loaded. When there is no library or no
// such entry point, or the status is not 0, shows "Chyba při čištění paměti!". A SoundPlayer
// that still exists keeps working: the library stays loaded as long as it does.
void UnregisterSound(GameState& s);

}  // namespace ZapModule
