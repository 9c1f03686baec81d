// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Rectangles as the platform's rectangle functions take them: the right and bottom edges lie
// outside the rectangle. The functions are inline: the game step calls them over a thousand
// times.

#include <algorithm>
#include <cstdint>

struct Rect {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;

    friend bool operator==(const Rect&, const Rect&) = default;
};

// True when the rectangle holds no pixel.
inline bool IsRectEmpty(const Rect& r) {
    return r.Right <= r.Left || r.Bottom <= r.Top;
}

// Sets dst to the overlap of a and b and returns true; when they do not overlap (or either is
// empty) dst becomes all zeros and the result is false.
inline bool IntersectRect(Rect& dst, const Rect& a, const Rect& b) {
    const Rect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
                 std::min(a.Bottom, b.Bottom)};
    if (IsRectEmpty(a) || IsRectEmpty(b) || IsRectEmpty(r)) {
        dst = Rect{};
        return false;
    }
    dst = r;
    return true;
}

// True when Left <= x < Right and Top <= y < Bottom.
inline bool PtInRect(const Rect& r, int32_t x, int32_t y) {
    return x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom;
}
