// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The process-wide side of the component: SDL's audio subsystem and the one SDL_mixer device are
// shared by everything in the process, so every start, stop and claim goes through here under one
// lock. SDL counts the users of its audio subsystem itself; registration holds one use, each
// player with an open device holds another.

#include <functional>
#include <string>

namespace ZapSound {

// Starts SDL's audio subsystem for one more user, silencing SDL's own log output. When no real
// driver starts, SDL's dummy driver is used, so the component still works, silently. Returns
// false only when not even that starts.
bool AcquireAudio();
// Ends one use of the audio subsystem.
void ReleaseAudio();
// The driver SDL is using, or "" when the subsystem is down.
std::string CurrentDriver();

// Registration holds one use of the audio subsystem until unregistration; registering twice
// holds it once. Returns false when the subsystem cannot start.
bool Register();
void Unregister();

// SDL_mixer drives a single device per process: a player must own the mixer before opening it.
// Returns false while another player owns it.
bool ClaimMixer(const void* owner);
void ReleaseMixer(const void* owner);

// Runs `open` with the terminal quiet: ALSA, which SDL loads on Linux, prints its complaints
// (no sound card, unknown device) to stderr while a device is opened.
int WithDeviceMessagesSilenced(const std::function<int()>& open);

}  // namespace ZapSound
