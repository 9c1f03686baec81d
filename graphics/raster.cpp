// SPDX-License-Identifier: GPL-3.0-or-later
#include "graphics/raster.h"

#include <algorithm>
#include <cstring>

namespace {

// Applies op to n pixels. The top byte stays 0xFF: AND and OR of two opaque pixels are opaque.
void CopyRun(uint32_t* d, const uint32_t* s, int64_t n, RasterOp op) {
    switch (op) {
        case SRCCOPY:
            std::memmove(d, s, static_cast<size_t>(n) * sizeof(uint32_t));
            break;
        case SRCAND:
            for (int64_t i = 0; i < n; ++i) d[i] &= s[i];
            break;
        case SRCPAINT:
            for (int64_t i = 0; i < n; ++i) d[i] |= s[i];
            break;
    }
}

uint32_t Apply(uint32_t d, uint32_t s, RasterOp op) {
    switch (op) {
        case SRCAND:
            return d & s;
        case SRCPAINT:
            return d | s;
        default:
            return s;
    }
}

}  // namespace

void BitBlt(Surface& dst, int32_t x, int32_t y, int32_t width, int32_t height, const Surface& src,
            int32_t sx, int32_t sy, RasterOp op) {
    if (op != SRCCOPY && op != SRCAND && op != SRCPAINT) return;
    // Work in 64 bits so that no sum of coordinates can overflow.
    int64_t dx = x, dy = y, sx64 = sx, sy64 = sy, w = width, h = height;
    // Clip the source and the destination on their left and top edges...
    const int64_t shiftX = std::max({int64_t{0}, -dx, -sx64});
    const int64_t shiftY = std::max({int64_t{0}, -dy, -sy64});
    dx += shiftX, sx64 += shiftX, w -= shiftX;
    dy += shiftY, sy64 += shiftY, h -= shiftY;
    // ...and on their right and bottom edges.
    w = std::min({w, int64_t{dst.Width()} - dx, int64_t{src.Width()} - sx64});
    h = std::min({h, int64_t{dst.Height()} - dy, int64_t{src.Height()} - sy64});
    if (w <= 0 || h <= 0) return;
    for (int64_t row = 0; row < h; ++row)
        CopyRun(dst.DrawRow(static_cast<int32_t>(dy + row)) + dx,
                src.Row(static_cast<int32_t>(sy64 + row)) + sx64, w, op);
    dst.AddInk({static_cast<int32_t>(dx), static_cast<int32_t>(dy), static_cast<int32_t>(dx + w),
                static_cast<int32_t>(dy + h)});
}

void StretchBlt(Surface& dst, int32_t x, int32_t y, int32_t width, int32_t height,
                const Surface& src, int32_t sx, int32_t sy, int32_t sw, int32_t sh, RasterOp op) {
    if (op != SRCCOPY && op != SRCAND && op != SRCPAINT) return;
    if (width == 0 || height == 0 || sw <= 0 || sh <= 0) return;
    const bool flipX = width < 0;
    const bool flipY = height < 0;
    const int64_t w = flipX ? -int64_t{width} : width;
    const int64_t h = flipY ? -int64_t{height} : height;
    const int64_t left = flipX ? int64_t{x} - w : x;
    const int64_t top = flipY ? int64_t{y} - h : y;
    // Only the rows and columns that land on the destination are visited, so a huge
    // destination rectangle costs no more than the surface it is clipped to.
    const int64_t firstRow = std::max<int64_t>(0, -top);
    const int64_t endRow = std::min<int64_t>(h, int64_t{dst.Height()} - top);
    const int64_t firstCol = std::max<int64_t>(0, -left);
    const int64_t endCol = std::min<int64_t>(w, int64_t{dst.Width()} - left);
    if (firstRow >= endRow || firstCol >= endCol) return;
    for (int64_t row = firstRow; row < endRow; ++row) {
        // Row k counted from the starting edge samples source row k * sh / h.
        const int64_t k = flipY ? h - 1 - row : row;
        const int64_t srcY = int64_t{sy} + k * sh / h;
        if (srcY < 0 || srcY >= src.Height()) continue;
        uint32_t* line = dst.DrawRow(static_cast<int32_t>(top + row));
        for (int64_t col = firstCol; col < endCol; ++col) {
            const int64_t j = flipX ? w - 1 - col : col;
            const int64_t srcX = int64_t{sx} + j * sw / w;
            if (srcX < 0 || srcX >= src.Width()) continue;
            uint32_t& d = line[left + col];
            d = Apply(d, src.Pixel(static_cast<int32_t>(srcX), static_cast<int32_t>(srcY)), op);
        }
    }
    dst.AddInk({static_cast<int32_t>(left + firstCol), static_cast<int32_t>(top + firstRow),
                static_cast<int32_t>(left + endCol), static_cast<int32_t>(top + endRow)});
}
