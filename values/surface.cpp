// SPDX-License-Identifier: GPL-3.0-or-later
#include "values/surface.h"

#include <algorithm>
#include <cstring>

Surface::Surface(int32_t width, int32_t height) {
    if (width < 1 || height < 1) return;
    width_ = width;
    height_ = height;
    pixels_.assign(static_cast<size_t>(width) * height, kOpaqueBlack);
}

void Surface::FillBlack(int32_t x, int32_t y, int32_t width, int32_t height) {
    const int64_t left = std::max<int64_t>(x, 0);
    const int64_t top = std::max<int64_t>(y, 0);
    const int64_t right = std::min<int64_t>(int64_t{x} + width, width_);
    const int64_t bottom = std::min<int64_t>(int64_t{y} + height, height_);
    if (left >= right || top >= bottom) return;
    const bool whole = left == 0 && top == 0 && right == width_ && bottom == height_;
    if (whole && inkKnown_) {
        // Everything outside the ink is black already.
        for (const Rect& r : ink_)
            for (int32_t row = r.Top; row < r.Bottom; ++row)
                std::fill(DrawRow(row) + r.Left, DrawRow(row) + r.Right, kOpaqueBlack);
        ink_.clear();
        return;
    }
    if (whole) {
        ink_.clear();
        inkKnown_ = true;
    }
    if (left == 0 && right == width_) {
        // Whole rows: one run. Opaque black is 0xFF000000, so a byte fill cannot make it;
        // fill the first row and double it along, which runs at memcpy speed.
        uint32_t* start = DrawRow(static_cast<int32_t>(top));
        const size_t total = static_cast<size_t>(bottom - top) * width_;
        std::fill_n(start, std::min<size_t>(total, width_), kOpaqueBlack);
        for (size_t done = width_; done < total;) {
            const size_t n = std::min(done, total - done);
            std::memcpy(start + done, start, n * sizeof(uint32_t));
            done += n;
        }
        return;
    }
    for (int64_t row = top; row < bottom; ++row)
        std::fill(DrawRow(static_cast<int32_t>(row)) + left,
                  DrawRow(static_cast<int32_t>(row)) + right, kOpaqueBlack);
}

void Surface::AddInk(const Rect& drawn) {
    // A bound keeps a surface that is drawn on without ever being cleared from growing a list:
    // beyond it the ink is simply no longer known. A game step draws a few hundred copies.
    constexpr size_t kMostInk = 4096;
    if (!inkKnown_) return;
    if (ink_.size() == kMostInk) {
        inkKnown_ = false;
        ink_.clear();
        return;
    }
    ink_.push_back(drawn);
}
