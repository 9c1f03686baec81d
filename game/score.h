// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Scores are 32-bit. A sum beyond that range saturates instead of overflowing.

#include <algorithm>
#include <cstdint>
#include <limits>

namespace ZapModule {

inline void AddToScore(int32_t& score, int64_t points) {
    const int64_t sum = int64_t{score} + points;
    score = static_cast<int32_t>(std::clamp<int64_t>(sum, std::numeric_limits<int32_t>::min(),
                                                     std::numeric_limits<int32_t>::max()));
}

}  // namespace ZapModule
