// SPDX-License-Identifier: GPL-3.0-or-later
// The drawing stand-ins, pixel for pixel: BitBlt's raster operations and clipping, the mirrored
// StretchBlt, and the Win32 meaning of the rectangle functions.

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <utility>
#include <vector>

#include "graphics/raster.h"
#include "values/rect.h"
#include "values/surface.h"

namespace {

constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();

// A surface whose every pixel tells where it came from.
Surface Numbered(int32_t width, int32_t height, uint32_t tag) {
    Surface s(width, height);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            s.SetPixel(
                x, y,
                0xFF000000u | tag << 16 | static_cast<uint32_t>(y) << 8 | static_cast<uint32_t>(x));
    return s;
}

uint32_t Apply(uint32_t d, uint32_t s, RasterOp op) {
    return op == SRCAND ? (d & s) : op == SRCPAINT ? (d | s) : s;
}

// What BitBlt must produce: every destination pixel whose source pixel exists within the block
// is combined with it; every other pixel keeps its value.
Surface ModelBitBlt(Surface dst, int32_t x, int32_t y, int32_t w, int32_t h, const Surface& src,
                    int32_t sx, int32_t sy, RasterOp op) {
    const Surface before = dst;
    for (int32_t py = 0; py < dst.Height(); ++py) {
        for (int32_t px = 0; px < dst.Width(); ++px) {
            const int64_t i = int64_t{px} - x, j = int64_t{py} - y;
            const int64_t srcX = sx + i, srcY = sy + j;
            if (i < 0 || j < 0 || i >= w || j >= h) continue;
            if (srcX < 0 || srcY < 0 || srcX >= src.Width() || srcY >= src.Height()) continue;
            dst.SetPixel(
                px, py,
                Apply(before.Pixel(px, py),
                      src.Pixel(static_cast<int32_t>(srcX), static_cast<int32_t>(srcY)), op));
        }
    }
    return dst;
}

TEST(BitBlt, RasterOperationsCombineOnlyTheBlock) {
    Surface src(2, 2);
    for (int32_t y = 0; y < 2; ++y)
        for (int32_t x = 0; x < 2; ++x) src.SetPixel(x, y, 0xFF0FF00Fu);
    const struct {
        RasterOp op;
        uint32_t expected;
    } cases[] = {{SRCCOPY, 0xFF0FF00Fu}, {SRCAND, 0xFF00F000u}, {SRCPAINT, 0xFF0FFFFFu}};
    for (const auto& c : cases) {
        Surface dst(4, 4);
        for (int32_t y = 0; y < 4; ++y)
            for (int32_t x = 0; x < 4; ++x) dst.SetPixel(x, y, 0xFF00FFF0u);
        BitBlt(dst, 1, 1, 2, 2, src, 0, 0, c.op);
        for (int32_t y = 0; y < 4; ++y) {
            for (int32_t x = 0; x < 4; ++x) {
                const bool inside = x >= 1 && x <= 2 && y >= 1 && y <= 2;
                EXPECT_EQ(dst.Pixel(x, y), inside ? c.expected : 0xFF00FFF0u)
                    << "op " << std::hex << c.op << " at " << std::dec << x << "," << y;
            }
        }
    }
}

TEST(BitBlt, ClipsAgainstEveryEdgeOfBothSurfaces) {
    const Surface src = Numbered(5, 4, 0x11);
    const Surface background = Numbered(7, 6, 0x22);
    // Offsets that put the block across, beside and far beyond each edge of either surface.
    const std::vector<int32_t> places = {kMin, -1000, -5, -2, 0, 1, 3, 5, 6, 1000, kMax};
    const std::vector<int32_t> sizes = {kMin, -3, 0, 1, 3, 5, 8, kMax};
    for (const RasterOp op : {SRCCOPY, SRCAND, SRCPAINT})
        for (const int32_t x : places)
            for (const int32_t sy : places)
                for (const int32_t w : sizes) {
                    // The remaining coordinates take a few values each, paired with the loops.
                    const int32_t y = x == 0 ? -2 : sy == 0 ? 3 : 1;
                    const int32_t sx = w == 3 ? -1 : x == 1 ? 3 : 0;
                    const int32_t h = w == 1 ? kMax : w < 0 ? 2 : 8 - (w & 3);
                    Surface dst = background;
                    BitBlt(dst, x, y, w, h, src, sx, sy, op);
                    SCOPED_TRACE(testing::Message() << "x " << x << " y " << y << " w " << w
                                                    << " h " << h << " sx " << sx << " sy " << sy);
                    EXPECT_TRUE(dst == ModelBitBlt(background, x, y, w, h, src, sx, sy, op));
                }
}

TEST(BitBlt, EmptySurfacesOnEitherSideDrawNothing) {
    const Surface src = Numbered(3, 3, 0x11);
    Surface empty;
    BitBlt(empty, 0, 0, 3, 3, src, 0, 0, SRCCOPY);
    Surface dst(4, 4);
    BitBlt(dst, 0, 0, 3, 3, empty, 0, 0, SRCCOPY);
    EXPECT_TRUE(dst == Surface(4, 4));
}

TEST(StretchBlt, NegativeHeightMirrorsUpwardFromTheLine) {
    // A 3 x 4 cap whose rows are told apart by their colour.
    const Surface cap = Numbered(3, 4, 0x33);
    Surface dst(8, 14);
    StretchBlt(dst, 2, 10, 3, -4, cap, 0, 0, 3, 4, SRCCOPY);
    // Source row 0 lands on row 9, row 3 on row 6, and nothing else changes.
    Surface expected(8, 14);
    for (int32_t row = 0; row < 4; ++row) BitBlt(expected, 2, 9 - row, 3, 1, cap, 0, row, SRCCOPY);
    EXPECT_TRUE(dst == expected);
}

TEST(StretchBlt, MirroredCopyClipsAtTheTopAndSameSizeCopiesExactly) {
    const Surface cap = Numbered(3, 4, 0x33);
    Surface dst(3, 6);
    StretchBlt(dst, 0, 2, 3, -4, cap, 0, 0, 3, 4, SRCCOPY);
    EXPECT_EQ(dst.Pixel(1, 1), cap.Pixel(1, 0));
    EXPECT_EQ(dst.Pixel(1, 0), cap.Pixel(1, 1));
    EXPECT_EQ(dst.Pixel(1, 2), kOpaqueBlack);

    Surface plain(6, 6);
    StretchBlt(plain, 1, 1, 3, 4, cap, 0, 0, 3, 4, SRCCOPY);
    EXPECT_TRUE(plain == ModelBitBlt(Surface(6, 6), 1, 1, 3, 4, cap, 0, 0, SRCCOPY));
}

TEST(StretchBlt, HugeOrEmptyDestinationsStayWithinTheSurface) {
    const Surface cap = Numbered(3, 4, 0x33);
    Surface dst(5, 5);
    // Sizes far beyond the surface must neither hang nor touch memory outside it (the sanitizer
    // build checks the latter).
    StretchBlt(dst, kMin, kMin, kMax, kMax, cap, 0, 0, 3, 4, SRCCOPY);
    StretchBlt(dst, kMax, kMax, kMin, kMin, cap, 0, 0, 3, 4, SRCPAINT);
    StretchBlt(dst, 0, 0, kMax, -kMax, cap, 0, 0, 3, 4, SRCAND);
    StretchBlt(dst, 0, 4, 5, -5, cap, -2, 7, 3, 4, SRCCOPY);  // source outside its surface
    const Surface before = dst;
    StretchBlt(dst, 0, 0, 0, 4, cap, 0, 0, 3, 4, SRCCOPY);
    StretchBlt(dst, 0, 0, 3, 4, cap, 0, 0, 0, -4, SRCCOPY);
    EXPECT_TRUE(dst == before);
}

TEST(SurfaceInk, CopiesRecordWhatTheyDrewAndAWholeBlackFillStartsAgain) {
    Surface field(40, 30);
    const Surface sprite = Numbered(12, 12, 1);
    EXPECT_TRUE(field.InkKnown());
    EXPECT_TRUE(field.Ink().empty());
    BitBlt(field, -4, 25, 12, 12, sprite, 0, 0, SRCCOPY);  // clipped on the left and bottom
    StretchBlt(field, 30, 20, 12, -12, sprite, 0, 0, 12, 12, SRCPAINT);  // mirrored, upward
    BitBlt(field, 100, 100, 12, 12, sprite, 0, 0, SRCCOPY);              // off the surface: nothing
    ASSERT_TRUE(field.InkKnown());
    EXPECT_EQ(field.Ink(), (std::vector<Rect>{{0, 25, 8, 30}, {30, 8, 40, 20}}));
    field.FillBlack(0, 0, 10, 10);  // a part: the ink stays
    EXPECT_EQ(field.Ink().size(), 2u);
    field.FillBlack(-5, -5, 100, 100);
    EXPECT_TRUE(field.Ink().empty());
    EXPECT_TRUE(field == Surface(40, 30));
}

TEST(SurfaceInk, DirectWritesMakeItUnknownAndTheNextWholeFillBlackensEverything) {
    Surface field = Numbered(20, 20, 2);
    EXPECT_FALSE(field.InkKnown());
    field.FillBlack(0, 0, 20, 20);
    EXPECT_TRUE(field.InkKnown());
    EXPECT_TRUE(field == Surface(20, 20));
    BitBlt(field, 2, 2, 5, 5, Numbered(5, 5, 3), 0, 0, SRCCOPY);
    field.SetPixel(15, 15, 0xFFFFFFFFu);
    EXPECT_FALSE(field.InkKnown());
    field.FillBlack(0, 0, 20, 20);
    EXPECT_TRUE(field == Surface(20, 20));
}

TEST(SurfaceInk, ASurfaceNeverClearedStopsCountingItsInk) {
    Surface field(10, 10);
    const Surface dot = Numbered(1, 1, 4);
    for (int i = 0; i < 5000; ++i) BitBlt(field, i % 10, i / 10 % 10, 1, 1, dot, 0, 0, SRCCOPY);
    EXPECT_FALSE(field.InkKnown());
    EXPECT_TRUE(field.Ink().empty());
    field.FillBlack(0, 0, 10, 10);
    EXPECT_TRUE(field == Surface(10, 10));
}

TEST(RectFunctions, FollowTheWin32Meaning) {
    Rect out{9, 9, 9, 9};
    EXPECT_TRUE(IntersectRect(out, Rect{0, 0, 10, 10}, Rect{5, 3, 20, 8}));
    EXPECT_EQ(out, (Rect{5, 3, 10, 8}));
    // Rectangles that only touch share no pixel, and an empty (inverted) rectangle meets nothing,
    // even where it lies inside the other: the result is all zeros.
    for (const Rect& b : {Rect{10, 0, 20, 10}, Rect{0, 10, 10, 20}, Rect{6, 2, 4, 8}}) {
        out = Rect{9, 9, 9, 9};
        EXPECT_FALSE(IntersectRect(out, Rect{0, 0, 10, 10}, b)) << b.Left << "," << b.Top;
        EXPECT_EQ(out, Rect{}) << b.Left << "," << b.Top;
    }
    // The result may be written over one of the inputs.
    Rect a{0, 0, 10, 10};
    EXPECT_TRUE(IntersectRect(a, a, Rect{2, 2, 4, 4}));
    EXPECT_EQ(a, (Rect{2, 2, 4, 4}));

    // A rectangle holds its left and top edges, not its right and bottom ones.
    const Rect r{10, 20, 30, 40};
    for (const auto& [x, y] : {std::pair{10, 20}, {29, 39}})
        EXPECT_TRUE(PtInRect(r, x, y)) << x << "," << y;
    for (const auto& [x, y] : {std::pair{30, 25}, {15, 40}, {9, 25}, {15, 19}})
        EXPECT_FALSE(PtInRect(r, x, y)) << x << "," << y;
}

}  // namespace
