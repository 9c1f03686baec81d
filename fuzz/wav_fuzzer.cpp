// SPDX-License-Identifier: GPL-3.0-or-later
// Sound files: any bytes are judged without reading outside them, and a file let through is
// within every sound limit the component relies on and decodes, without reading outside it, into
// as many finite samples as its length promised.

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "sound/wav_check.h"
#include "values/data_limits.h"

using namespace ZapModule;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    WavFacts facts;
    const std::vector<uint8_t> bytes(data, data + size);
    const bool refused = !WavProblem(bytes, &facts).empty();
    const std::optional<WavSound> sound = DecodeWav(bytes);
    if (refused != !sound.has_value()) std::abort();
    if (refused) return 0;
    if (facts.Channels < 1 || facts.Channels > kMaxSoundChannels) std::abort();
    if (facts.Rate < kMinSoundRate || facts.Rate > kMaxSoundRate) std::abort();
    if (!(facts.Seconds > 0 && facts.Seconds <= kMaxSoundSeconds)) std::abort();
    const double frames = double(sound->Frames.size()) / facts.Channels;
    if (std::abs(frames - facts.Seconds * facts.Rate) > 0.5) std::abort();
    for (const float sample : sound->Frames)
        if (!(sample >= -1.0f && sample <= 1.0f)) std::abort();
    return 0;
}
