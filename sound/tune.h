// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The hidden tune: a short jingle the component composes in memory, so it needs no file. Plain
// C++: the page's WebAudio component plays the same composition.

#include <vector>

namespace ZapSound {

// The tune's length without its final ring-out, in seconds.
constexpr double kTuneSeconds = 4.8;

// Synthesises the tune at the given rate: a bell-like melody over a soft bass, with an echo, as
// interleaved stereo frames (L, R, L, R, ...) peaking at about -3 dBFS.
std::vector<float> ComposeTune(int rate);

}  // namespace ZapSound
