// SPDX-License-Identifier: GPL-3.0-or-later
#include "values/random.h"

#include <chrono>

namespace ZapModule {

uint32_t RandomSource::ClockSeed() {
    return static_cast<uint32_t>(std::chrono::system_clock::now().time_since_epoch().count() &
                                 0xFFFFFFFFu);
}

void RandomSource::Seed(uint32_t seed) {
    engine_.seed(seed);
    sequence_.clear();
    next_ = 0;
}

void RandomSource::UseSequence(std::vector<float> values) {
    sequence_ = std::move(values);
    next_ = 0;
}

float RandomSource::Next() {
    if (!sequence_.empty()) {
        const float v = sequence_[next_];
        next_ = (next_ + 1) % sequence_.size();
        return v;
    }
    // 24 random bits give every float of [0, 1) on a grid of 2^-24; 1.0 cannot come out.
    return static_cast<float>(engine_() >> 8) * (1.0f / 16777216.0f);
}

}  // namespace ZapModule
