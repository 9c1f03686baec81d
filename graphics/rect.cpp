#include "graphics/rect.h"

#include <algorithm>

bool IsRectEmpty(const Rect& r) { return r.Right <= r.Left || r.Bottom <= r.Top; }

bool IntersectRect(Rect& dst, const Rect& a, const Rect& b) {
    Rect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
           std::min(a.Bottom, b.Bottom)};
    if (IsRectEmpty(a) || IsRectEmpty(b) || IsRectEmpty(r)) {
        dst = Rect{};
        return false;
    }
    dst = r;
    return true;
}

bool PtInRect(const Rect& r, int32_t x, int32_t y) {
    return x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom;
}
