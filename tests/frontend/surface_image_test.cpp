// SPDX-License-Identifier: GPL-3.0-or-later
// An engine surface as the windows draw it: every pixel where it lies, without a copy.

#include <gtest/gtest.h>

#include <utility>

#include "frontend/surface_image.h"

namespace ZapModule {
namespace {

TEST(SurfaceImageTest, ShowsEveryPixelOfTheSurfaceInPlaceAndNoneOfAnEmptyOne) {
    // Not square and of an odd width, so a wrong row length or a swapped side shows.
    Surface surface(3, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            surface.SetPixel(x, y, kOpaqueBlack | static_cast<uint32_t>(0x10 * x + 0x1000 * y));
    const QImage image = ImageOf(surface);
    ASSERT_EQ(image.size(), QSize(3, 2));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(image.pixel(x, y), surface.Pixel(x, y)) << x << "," << y;
    // The same memory: a change of the surface shows in the picture until it is copied.
    EXPECT_EQ(image.constBits(), reinterpret_cast<const uchar*>(std::as_const(surface).Bits()));
    // An empty surface gives a null picture.
    EXPECT_TRUE(ImageOf(Surface()).isNull());
}

}  // namespace
}  // namespace ZapModule
