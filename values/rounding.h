// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Every float-to-integer conversion of the game takes the nearest integer with ties to even
// (2.5 -> 2, 3.5 -> 4). A value beyond the target's range saturates instead of wrapping, and
// NaN becomes 0, so no conversion can produce undefined behaviour.

#include <cmath>
#include <cstdint>
#include <limits>

namespace ZapModule {

template <typename Int>
Int RoundHalfEven(double v) {
    if (std::isnan(v)) return 0;
    const double r = std::nearbyint(v);  // the default rounding mode is to nearest, ties to even
    if (r <= static_cast<double>(std::numeric_limits<Int>::min()))
        return std::numeric_limits<Int>::min();
    if (r >= static_cast<double>(std::numeric_limits<Int>::max()))
        return std::numeric_limits<Int>::max();
    return static_cast<Int>(r);
}

inline int16_t RoundToInt16(double v) {
    return RoundHalfEven<int16_t>(v);
}
inline int32_t RoundToInt32(double v) {
    return RoundHalfEven<int32_t>(v);
}

}  // namespace ZapModule
