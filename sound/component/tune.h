#pragma once
// The hidden tune: a short jingle the component composes in memory, so it needs no file.

#include "sound/component/pcm.h"

namespace ZapSound {

// The tune's length without its final ring-out, in seconds.
constexpr double kTuneSeconds = 4.8;

// Synthesises the tune at the given rate: a bell-like melody over a soft bass, with an echo.
DeviceSamples ComposeTune(int deviceRate);

}  // namespace ZapSound
