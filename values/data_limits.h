// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The limits on what a data file may cost to read, in one place: the start-up loader, the sound
// component and `zapwall-data check` all refuse by these, so the check passes exactly the folders
// the game plays. Each lies far above anything the game's own files need.

#include <cstddef>
#include <cstdint>

namespace ZapModule {

constexpr size_t kMiB = size_t{1} << 20;

// levels.ko (the game's own set is a few kilobytes).
constexpr size_t kMaxLevelFileBytes = 16 * kMiB;
// The level text that compiles to a levels.ko (levels.txt): large enough for the text of every
// level file within the limit above (a brick line is four times the brick's 12 bytes, a trailing
// byte under four), so whatever the game plays can be decompiled, edited and compiled again.
constexpr size_t kMaxLevelTextBytes = 8 * kMaxLevelFileBytes;
// animations.ko (a real table is a few hundred bytes).
constexpr size_t kMaxAnimationFileBytes = 1 * kMiB;
// players.ko, hall.ko, tick.ko (the largest possible roster is under 2 MiB).
constexpr size_t kMaxKeptFileBytes = 16 * kMiB;

// Pictures: a sprite's size is 16-bit, and a surface is 4 bytes a pixel.
constexpr size_t kMaxPictureFileBytes = 16 * kMiB;
constexpr int32_t kMaxPictureSide = 32767;
constexpr int64_t kMaxPicturePixels = int64_t{16} << 20;

// Sounds: each effect is decoded once into memory, so its file, its length and its sample rate
// are bounded (a 1 Hz rate would ask for tens of thousands of output samples per input sample).
constexpr size_t kMaxSoundFileBytes = 8 * kMiB;
constexpr double kMaxSoundSeconds = 10.0;
constexpr int32_t kMinSoundRate = 4000;
constexpr int32_t kMaxSoundRate = 192000;
constexpr int32_t kMaxSoundChannels = 8;

}  // namespace ZapModule
