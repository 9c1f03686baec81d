// SPDX-License-Identifier: GPL-3.0-or-later
// The masked animation draw: the frame drawn, the band height and the two raster operations that
// leave the background where a frame is transparent.

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <utility>

#include "graphics/sprites.h"

namespace ZapModule {
namespace {

constexpr uint32_t kBackground = 0xFF123456u;
constexpr uint32_t kWhite = 0xFFFFFFFFu;
constexpr int16_t kSheet = 3;
constexpr int32_t kFrameWidth = 4, kFrameHeight = 5, kFrames = 3;

// Frame f's opaque pixel at column c, row r of the frame.
constexpr uint32_t FramePixel(int32_t f, int32_t c, int32_t r) {
    return 0xFF000000u | static_cast<uint32_t>(0x40 + f) << 16 | static_cast<uint32_t>(r) << 8 |
           static_cast<uint32_t>(c);
}

// Three frames of 4 x 5; each frame's column 0 is transparent, the rest opaque. The image band
// is rows 0-4, the mask band rows 5-9.
Surface Sheet() {
    Surface sheet(kFrameWidth * kFrames, 2 * kFrameHeight);
    for (int32_t f = 0; f < kFrames; ++f) {
        for (int32_t r = 0; r < kFrameHeight; ++r) {
            for (int32_t c = 0; c < kFrameWidth; ++c) {
                const int32_t x = f * kFrameWidth + c;
                const bool opaque = c != 0;
                sheet.SetPixel(x, r, opaque ? FramePixel(f, c, r) : kOpaqueBlack);
                sheet.SetPixel(x, kFrameHeight + r, opaque ? kOpaqueBlack : kWhite);
            }
        }
    }
    return sheet;
}

class AnimationDrawTest : public ::testing::Test {
  protected:
    void SetUp() override {
        for (int32_t y = 0; y < kFieldHeight; ++y)
            for (int32_t x = 0; x < kFieldWidth; ++x) background.SetPixel(x, y, kBackground);
        s.Field = background;
        s.Sprites.resize(kSpriteCount);
        s.Sprites[kSheet].Pixels = Sheet();
        s.Sprites[kSheet].Width = kFrameWidth * kFrames;
        s.Sprites[kSheet].Height = 2 * kFrameHeight;
        const AnimationRecord anim{kSheet, kFrames, kFrameWidth, kFrameHeight, 1};
        s.Animations = {anim, anim};  // 0 a mover's, 1 the explosion's
    }

    // Frame f is drawn with its top-left corner at (x, y), and nothing beside it.
    void ExpectFrameAt(int32_t f, int32_t x, int32_t y) {
        for (int32_t r = -1; r <= kFrameHeight; ++r) {
            for (int32_t c = -1; c <= kFrameWidth; ++c) {
                const bool opaque = r >= 0 && r < kFrameHeight && c >= 1 && c < kFrameWidth;
                ASSERT_EQ(s.Field.Pixel(x + c, y + r), opaque ? FramePixel(f, c, r) : kBackground)
                    << "frame " << f << " column " << c << " row " << r;
            }
        }
    }

    // The field as SetUp paints it: every pixel the background colour.
    Surface background{kFieldWidth, kFieldHeight};
    GameState s;
};

TEST_F(AnimationDrawTest, DrawsTheCurrentFrameWithTransparentPixelsKeepingTheBackground) {
    MoverRecord m;
    m.X = 10.5f;  // rounds to 10
    m.Y = 20.5f;  // rounds to 20
    DrawAnimation(s, m);
    ExpectFrameAt(0, 10, 20);
    m.X = 100, m.Y = 200, m.Frame = 1;
    DrawAnimation(s, m);
    ExpectFrameAt(1, 100, 200);
    // The source column is computed in 16 bits: 4 * 16385 = 65540 wraps to 4, frame 1's column.
    m.X = 5, m.Y = 5, m.Frame = 16385;
    DrawAnimation(s, m);
    ExpectFrameAt(1, 5, 5);
    EXPECT_EQ(m.Frame, 16385);  // drawing leaves the counters to the game
    EXPECT_EQ(m.FrameTimer, 0);
}

TEST_F(AnimationDrawTest, BandIsHalfTheSheetRoundedTiesToEven) {
    for (const auto& [height, band] : {std::pair{25, 12}, {27, 14}, {26, 13}, {1, 0}, {2, 1}}) {
        SetUp();
        s.Field = Surface(kFieldWidth, kFieldHeight);  // black
        Surface sheet(4, height);
        for (int32_t y = 0; y < height; ++y)
            for (int32_t x = 0; x < 4; ++x) sheet.SetPixel(x, y, kWhite);
        s.Sprites[kSheet].Pixels = sheet;
        s.Sprites[kSheet].Height = static_cast<int16_t>(height);
        s.Animations[0].FrameHeight = 0;
        DrawAnimation(s, MoverRecord{});
        int32_t rows = 0;
        while (rows < kFieldHeight && s.Field.Pixel(0, rows) == kWhite) ++rows;
        EXPECT_EQ(rows, band) << "sheet height " << height;
    }
}

TEST_F(AnimationDrawTest, BadIndexesSizesOrFramesDrawNothingOutsideTheSurfaces) {
    MoverRecord outside;
    for (const int16_t kind : {int16_t{-1}, int16_t{2}, std::numeric_limits<int16_t>::min()}) {
        outside.Kind = kind;
        DrawAnimation(s, outside);
    }
    // An explosion past its last frame reads beyond the sheet and draws nothing there.
    MoverRecord ended;
    ended.Kind = 1;
    ended.Frame = kFrames;
    DrawAnimation(s, ended);
    // A sheet that does not exist.
    for (const int16_t sprite : {int16_t{-1}, int16_t{13}, int16_t{4}}) {
        s.Animations[1].Sprite = sprite;
        DrawAnimation(s, MoverRecord{.Kind = 1});
    }
    EXPECT_TRUE(s.Field == background);

    // Negative or oversized frames stay within the surfaces (the sanitizer build checks), as does
    // a field that does not exist.
    for (const int16_t size :
         {int16_t{-4}, std::numeric_limits<int16_t>::max(), std::numeric_limits<int16_t>::min()}) {
        s.Animations[0] = AnimationRecord{kSheet, size, size, size, size};
        MoverRecord m;
        m.X = -3.0f;
        m.Y = 1e9f;
        DrawAnimation(s, m);
        m.Y = 470.0f;
        DrawAnimation(s, m);
    }
    s.Field = Surface();
    DrawAnimation(s, MoverRecord{});
}

}  // namespace
}  // namespace ZapModule
