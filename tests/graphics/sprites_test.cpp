// SPDX-License-Identifier: GPL-3.0-or-later
// Loading and releasing the sprites, and the copy table of a drawing pass, pixel for pixel on
// small synthetic sprites whose rows or columns have colours of their own.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "graphics/raster.h"
#include "graphics/sprites.h"

namespace ZapModule {
namespace {

// Opaque colours that name a sprite (tag) and a row or column of it.
constexpr uint32_t Colour(uint32_t tag, int32_t n) {
    return 0xFF000000u | tag << 16 | static_cast<uint32_t>(n);
}
constexpr uint32_t kBodyTag = 0x10, kCapTag = 0x20, kBallTag = 0x30, kSheetTag = 0x50,
                   kBonusTag = 0x60, kWallTag = 0xB0;

// A surface whose pixels have the colour of their row, or of their column.
enum class Stripes { Rows, Columns };
Surface Striped(int32_t width, int32_t height, uint32_t tag, Stripes stripes) {
    Surface s(width, height);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            s.SetPixel(x, y, Colour(tag, stripes == Stripes::Rows ? y : x));
    return s;
}

SpriteSurface Sprite(Surface pixels) {
    SpriteSurface sprite;
    sprite.Width = static_cast<int16_t>(pixels.Width());
    sprite.Height = static_cast<int16_t>(pixels.Height());
    sprite.Pixels = std::move(pixels);
    return sprite;
}

class DrawTest : public ::testing::Test {
  protected:
    void SetUp() override {
        s.Field = Surface(kFieldWidth, kFieldHeight);
        s.Sprites.resize(kSpriteCount);
        s.Sprites[0] = Sprite(Striped(12, 27, kBodyTag, Stripes::Rows));
        s.Sprites[1] = Sprite(Striped(12, 3, kCapTag, Stripes::Rows));
        s.Sprites[2] = Sprite(Striped(12, 12, kBallTag, Stripes::Columns));
        s.Sprites[5] = Sprite(Striped(100, 25, kSheetTag, Stripes::Columns));
        s.Sprites[6] = Sprite(Striped(100, 25, kBonusTag, Stripes::Columns));
        s.Sprites[11] = Sprite(Striped(15, 40, kWallTag, Stripes::Rows));
    }

    // Every pixel of the field is still black.
    bool FieldBlack() const { return s.Field == Surface(kFieldWidth, kFieldHeight); }

    GameState s;
};

// Rows of the bat drawn from one sprite: `count` field rows from `start`, showing sprite rows
// from `firstRow` on, going up (+1) or down (-1) the sprite.
struct Run {
    int32_t start, count;
    uint32_t tag;
    int32_t firstRow, step;
};

std::vector<uint32_t> ExpectedColumn(int32_t rows, std::initializer_list<Run> runs) {
    std::vector<uint32_t> column(static_cast<size_t>(rows), kOpaqueBlack);
    for (const Run& r : runs)
        for (int32_t i = 0; i < r.count; ++i)
            column[static_cast<size_t>(r.start) + static_cast<size_t>(i)] =
                Colour(r.tag, r.firstRow + r.step * i);
    return column;
}

TEST_F(DrawTest, BatIsBuiltFromCapsAndBodySegmentsForEverySize) {
    constexpr int16_t kTop = 100;
    const struct {
        int16_t size;
        std::vector<uint32_t> column;  // field rows kTop .. kTop + 89
    } cases[] = {
        // Normal: cap, two bodies, the mirrored cap over the last three body rows above row 57.
        {0, ExpectedColumn(90, {{0, 3, kCapTag, 0, 1},
                                {3, 27, kBodyTag, 0, 1},
                                {30, 24, kBodyTag, 0, 1},
                                {54, 3, kCapTag, 2, -1}})},
        // Long: three bodies, the mirrored cap above row 84.
        {1, ExpectedColumn(90, {{0, 3, kCapTag, 0, 1},
                                {3, 27, kBodyTag, 0, 1},
                                {30, 27, kBodyTag, 0, 1},
                                {57, 24, kBodyTag, 0, 1},
                                {81, 3, kCapTag, 2, -1}})},
        // Short: one body, the mirrored cap above row 30.
        {2, ExpectedColumn(
                90, {{0, 3, kCapTag, 0, 1}, {3, 24, kBodyTag, 0, 1}, {27, 3, kCapTag, 2, -1}})},
    };
    for (const auto& c : cases) {
        SetUp();
        s.BatTop = kTop;
        s.BatSize = c.size;
        DrawBat(s);
        for (int32_t row = 0; row < 90; ++row) {
            for (int32_t x = 439; x <= 452; ++x) {
                const bool onBat = x >= 440 && x < 452;
                EXPECT_EQ(s.Field.Pixel(x, kTop + row),
                          onBat ? c.column[static_cast<size_t>(row)] : kOpaqueBlack)
                    << "BatSize " << c.size << " row +" << row << " x " << x;
            }
        }
        EXPECT_EQ(s.Field.Pixel(445, kTop - 1), kOpaqueBlack);
    }
}

TEST_F(DrawTest, BallLandsAtItsPositionRoundedTiesToEven) {
    BallRecord ball;
    ball.X = 10.5f;  // rounds to 10
    ball.Y = 21.5f;  // rounds to 22
    DrawBall(s, ball);
    Surface expected(kFieldWidth, kFieldHeight);
    BitBlt(expected, 10, 22, 12, 12, s.Sprites[2].Pixels, 0, 0, SRCCOPY);
    EXPECT_TRUE(s.Field == expected);
}

TEST_F(DrawTest, SteelBrickShowsTheNextColumnWhileItFlashes) {
    // Column 5 lies past the sheet's 100 pixels; 20 * 3277 wraps at 16 bits to 4.
    const struct {
        int16_t type, flash, picture;
        int32_t sourceX;  // -1: nothing drawn
    } cases[] = {{0, 0, 2, 40},  {2, 0, 2, 40}, {2, 3, 2, 60},  {0, 3, 2, 40},  {1, 5, 2, 40},
                 {2, -1, 2, 40}, {2, 1, 4, -1}, {0, 0, -1, -1}, {0, 0, 3277, 4}};
    for (const auto& c : cases) {
        SetUp();
        BrickRecord brick;
        brick.X = 200, brick.Y = 125, brick.Type = c.type, brick.Flash = c.flash;
        brick.Picture = c.picture;
        DrawBrick(s, brick);
        SCOPED_TRACE(testing::Message()
                     << "type " << c.type << " flash " << c.flash << " picture " << c.picture);
        if (c.sourceX < 0) {
            EXPECT_TRUE(FieldBlack());
            continue;
        }
        const int32_t visible = std::min(20, 100 - c.sourceX);
        EXPECT_EQ(s.Field.Pixel(200, 125), Colour(kSheetTag, c.sourceX));
        EXPECT_EQ(s.Field.Pixel(200 + visible - 1, 149),
                  Colour(kSheetTag, c.sourceX + visible - 1));
        EXPECT_EQ(s.Field.Pixel(200, 150), kOpaqueBlack);
        EXPECT_EQ(s.Field.Pixel(220, 125), kOpaqueBlack);
        EXPECT_EQ(brick.Flash, c.flash);  // the tick counts flashes, not the drawing
    }
}

TEST_F(DrawTest, BonusPicturesCountFromOne) {
    for (const auto& [picture, sourceX] : {std::pair{1, 0}, {3, 40}, {5, 80}, {0, -1}, {6, -1}}) {
        SetUp();
        BonusRecord bonus;
        bonus.X = 60, bonus.Y = 450, bonus.Picture = static_cast<int16_t>(picture);
        DrawBonus(s, bonus);
        if (sourceX < 0) {
            EXPECT_TRUE(FieldBlack()) << "picture " << picture;
            continue;
        }
        EXPECT_EQ(s.Field.Pixel(60, 450), Colour(kBonusTag, sourceX)) << "picture " << picture;
        EXPECT_EQ(s.Field.Pixel(79, 474), Colour(kBonusTag, sourceX + 19));
        EXPECT_EQ(s.Field.Pixel(80, 450), kOpaqueBlack);
    }
}

TEST_F(DrawTest, WallStandsWholeOrShowsItsLowestRowsWhileMoving) {
    s.WallOn = kTrue;
    s.WallS = 1;
    s.WallHeight = 10;
    DrawWall(s);
    for (int32_t y = 0; y < 40; ++y) EXPECT_EQ(s.Field.Pixel(494, y), Colour(kWallTag, y));
    EXPECT_EQ(s.Field.Pixel(479, 0), kOpaqueBlack);
    EXPECT_EQ(s.Field.Pixel(480, 40), kOpaqueBlack);

    for (const int16_t state : std::initializer_list<int16_t>{0, 2}) {
        SetUp();
        s.WallOn = kTrue;
        s.WallS = state;
        s.WallHeight = 10;
        DrawWall(s);
        for (int32_t y = 0; y < 10; ++y) EXPECT_EQ(s.Field.Pixel(480, y), Colour(kWallTag, 30 + y));
        EXPECT_EQ(s.Field.Pixel(480, 10), kOpaqueBlack);
        EXPECT_EQ(s.WallS, state);  // the tick moves the wall on, not the drawing
        EXPECT_EQ(s.WallHeight, 10);
    }

    for (const auto& [on, state, height] :
         {std::tuple{kFalse, 1, 10}, {kTrue, 3, 10}, {kTrue, 0, 0}, {kTrue, 2, -5}}) {
        SetUp();
        s.WallOn = static_cast<Flag>(on);
        s.WallS = static_cast<int16_t>(state);
        s.WallHeight = static_cast<int16_t>(height);
        DrawWall(s);
        EXPECT_TRUE(FieldBlack()) << "WallOn " << on << " WallS " << state << " height " << height;
    }
}

TEST_F(DrawTest, MissingSpritesOrFieldDrawNothing) {
    const auto drawAll = [this] {
        BallRecord ball;
        BrickRecord brick;
        BonusRecord bonus;
        bonus.Picture = 1;
        s.BatTop = 100;
        s.WallOn = kTrue;
        s.WallS = 1;
        DrawBall(s, ball);
        DrawBat(s);
        DrawBrick(s, brick);
        DrawBonus(s, bonus);
        DrawWall(s);
    };
    s.Sprites.clear();
    drawAll();
    EXPECT_TRUE(FieldBlack());
    // Only the first three sprites: the ball and bat draw, the sheets and the wall do not.
    SetUp();
    s.Sprites.resize(3);
    drawAll();
    EXPECT_EQ(s.Field.Pixel(0, 0), Colour(kBallTag, 0));
    EXPECT_EQ(s.Field.Pixel(440, 100), Colour(kCapTag, 0));
    EXPECT_EQ(s.Field.Pixel(480, 0), kOpaqueBlack);
    // Sprite sizes that disagree with their pixels, or are negative, stay within the pixels (the
    // sanitizer build checks every access).
    SetUp();
    s.Sprites[1].Height = std::numeric_limits<int16_t>::min();
    s.Sprites[0].Width = -12;
    s.Sprites[2].Width = std::numeric_limits<int16_t>::max();
    drawAll();
    s.Field = Surface();
    drawAll();
}

TEST(LoadSprites, LoadsThirteenPicturesInOrder) {
    GameState s;
    s.DataFolder = "/opt/zapwall/data";
    std::vector<std::string> asked;
    const PictureLoader loader = [&](const std::string& path,
                                     std::string*) -> std::optional<Surface> {
        asked.push_back(path);
        const auto n = static_cast<int32_t>(asked.size());
        return Surface(n, n + 1);
    };
    std::string failed = "untouched";
    ASSERT_TRUE(LoadSprites(s, loader, &failed));
    EXPECT_EQ(failed, "untouched");
    ASSERT_EQ(s.SpriteCount(), 13);
    ASSERT_EQ(asked.size(), 13u);
    for (size_t i = 0; i < 13; ++i) {
        EXPECT_EQ(asked[i], "/opt/zapwall/data/pictures/ko" + std::to_string(i + 1));
        const auto n = static_cast<int32_t>(i + 1);
        EXPECT_TRUE(s.Sprites[i] == Sprite(Surface(n, n + 1))) << "sprite " << i;
    }
    // Loading again replaces the sprites instead of adding thirteen more.
    ASSERT_TRUE(LoadSprites(s, loader, &failed));
    EXPECT_EQ(s.SpriteCount(), 13);
    EXPECT_EQ(s.Sprites[0].Width, 14);

    ReleaseSprites(s);
    EXPECT_EQ(s.SpriteCount(), 0);
    ReleaseSprites(s);
    EXPECT_EQ(s.SpriteCount(), 0);
}

TEST(LoadSprites, StopsAtTheFirstPictureThatDoesNotLoad) {
    for (const std::optional<Surface>& seventh :
         {std::optional<Surface>(), std::optional(Surface()), std::optional(Surface(40000, 1))}) {
        GameState s;
        s.Sprites.resize(2);  // whatever was there before is gone afterwards
        int calls = 0;
        const PictureLoader loader = [&](const std::string& path,
                                         std::string*) -> std::optional<Surface> {
            ++calls;
            if (path.ends_with("/ko7")) return seventh;
            return Surface(4, 4);
        };
        std::string failed;
        EXPECT_FALSE(LoadSprites(s, loader, &failed));
        EXPECT_EQ(failed, "pictures/ko7");
        EXPECT_EQ(s.SpriteCount(), 0);
        EXPECT_EQ(calls, 7);
    }
    GameState s;
    std::string failed;
    EXPECT_FALSE(LoadSprites(s, PictureLoader{}, &failed));
    EXPECT_EQ(failed, "pictures/ko1");
    EXPECT_FALSE(LoadSprites(s, PictureLoader{}, nullptr));
}

}  // namespace
}  // namespace ZapModule
