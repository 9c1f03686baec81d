#pragma once
// Rectangles as the platform's rectangle functions take them: the right and bottom edges lie
// outside the rectangle.

#include <cstdint>

struct Rect {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;

    friend bool operator==(const Rect&, const Rect&) = default;
};

// True when the rectangle holds no pixel.
bool IsRectEmpty(const Rect& r);

// Sets dst to the overlap of a and b and returns true; when they do not overlap (or either is
// empty) dst becomes all zeros and the result is false.
bool IntersectRect(Rect& dst, const Rect& a, const Rect& b);

// True when Left <= x < Right and Top <= y < Bottom.
bool PtInRect(const Rect& r, int32_t x, int32_t y);
