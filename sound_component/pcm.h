// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Sound data in the device's form: interleaved 16-bit stereo at the device's rate, ready to be
// handed to SDL_mixer without any further conversion at play time.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ZapSound {

using DeviceSamples = std::vector<int16_t>;  // L, R, L, R, ...

// The length of the fade at each end of a sound, so that a sound starting or ending away from
// zero does not click.
constexpr int kEdgeMilliseconds = 2;

// Converts float frames (1 or more channels, the first two are used) at sourceRate into device
// samples at deviceRate, with linear interpolation and the edge fades. Values are clipped to
// [-1, 1].
DeviceSamples ToDeviceSamples(const float* frames, size_t frameCount, int channels, int sourceRate,
                              int deviceRate);

// Reads a WAV file (the formats of sound/wav_check.h) into device samples. Empty when the file is
// missing, not a regular file, unreadable, or refused by WavProblem (no sound, an unknown or
// inconsistent format, beyond the sound limits).
DeviceSamples LoadWav(const char* path, int deviceRate);

}  // namespace ZapSound
