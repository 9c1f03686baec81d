// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Our stand-in for the platform's off-screen pictures: surfaces of 32-bit 0xFFRRGGBB pixels (the
// layout of QImage::Format_RGB32, so a surface can be shown without a copy), which remember where
// the rectangle copies of graphics/raster.h drew on them.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "values/rect.h"

// The raster operations of the copies (graphics/raster.h), which draw on a surface's pixels.
enum RasterOp : uint32_t;

constexpr uint32_t kOpaqueBlack = 0xFF000000u;

class Surface {
  public:
    Surface() = default;
    // A surface of the given size filled with opaque black; a size below 1 gives an empty one.
    Surface(int32_t width, int32_t height);

    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    bool Empty() const { return pixels_.empty(); }

    uint32_t* Row(int32_t y) {
        inkKnown_ = false;
        return pixels_.data() + static_cast<size_t>(y) * width_;
    }
    const uint32_t* Row(int32_t y) const {
        return pixels_.data() + static_cast<size_t>(y) * width_;
    }
    uint32_t Pixel(int32_t x, int32_t y) const { return Row(y)[x]; }
    void SetPixel(int32_t x, int32_t y, uint32_t argb) {
        inkKnown_ = false;
        Row(y)[x] = argb;
    }
    uint32_t* Bits() {
        inkKnown_ = false;
        return pixels_.data();
    }
    const uint32_t* Bits() const { return pixels_.data(); }

    // Fills the part of (x, y, width, height) that lies on the surface with opaque black.
    void FillBlack(int32_t x, int32_t y, int32_t width, int32_t height);

    // Where the surface may hold pixels other than opaque black: the rectangles BitBlt and
    // StretchBlt drew on it since it was last filled black as a whole (everything else is
    // black). Unknown (false) when pixels were written any other way. With it known, filling
    // the whole surface black touches only these rectangles, and a view that shows the surface
    // needs to update only where the ink of the picture it shows and of the new one lie.
    bool InkKnown() const { return inkKnown_; }
    const std::vector<Rect>& Ink() const { return ink_; }

    // Two surfaces are equal when they show the same picture, however it was drawn.
    friend bool operator==(const Surface& a, const Surface& b) {
        return a.width_ == b.width_ && a.height_ == b.height_ && a.pixels_ == b.pixels_;
    }

  private:
    // The copies write rows without forgetting the ink; they record what they drew instead.
    friend void BitBlt(Surface&, int32_t, int32_t, int32_t, int32_t, const Surface&, int32_t,
                       int32_t, RasterOp);
    friend void StretchBlt(Surface&, int32_t, int32_t, int32_t, int32_t, const Surface&, int32_t,
                           int32_t, int32_t, int32_t, RasterOp);
    uint32_t* DrawRow(int32_t y) { return pixels_.data() + static_cast<size_t>(y) * width_; }
    void AddInk(const Rect& drawn);

    int32_t width_ = 0;
    int32_t height_ = 0;
    std::vector<uint32_t> pixels_;
    std::vector<Rect> ink_;
    bool inkKnown_ = true;  // a new surface is all black
};
