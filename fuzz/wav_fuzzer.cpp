// Sound file headers: any bytes are judged without reading outside them, and a file let through
// is within every sound limit the component relies on.

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "sound/wav_check.h"
#include "game/contract/data_limits.h"

using namespace ZapModule;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    WavFacts facts;
    if (!WavProblem(std::vector<uint8_t>(data, data + size), &facts).empty()) return 0;
    if (facts.Channels < 1 || facts.Channels > kMaxSoundChannels) std::abort();
    if (facts.Rate < kMinSoundRate || facts.Rate > kMaxSoundRate) std::abort();
    if (!(facts.Seconds > 0 && facts.Seconds <= kMaxSoundSeconds)) std::abort();
    return 0;
}
