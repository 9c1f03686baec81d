// SPDX-License-Identifier: GPL-3.0-or-later
// The generated pictures as the game loads and draws them: sizes, the screen layout, the bat in all
// three lengths, the ball, and the two-band animation sheets the game's masked draw needs.

#include <gtest/gtest.h>

#include <QImage>
#include <QRect>
#include <algorithm>

#include "graphics/animations.h"
#include "graphics/sprites.h"
#include "pictures/picture_loader.h"
#include "tests/tools/test_assets_data.h"

using namespace AssetTests;
using namespace ZapModule;

namespace {

constexpr uint32_t kBlack = 0xFF000000u, kWhite = 0xFFFFFFFFu;

QImage Picture(const std::string& name) {
    return QImage(QString::fromStdString(DataFolder() + "/pictures/" + name));
}

// The game state after start-up's picture and animation loading.
GameState& Loaded() {
    static GameState s = [] {
        GameState state;
        state.DataFolder = DataFolder();
        std::string failed;
        EXPECT_TRUE(LoadSprites(state, LoadPicture, &failed)) << failed;
        const std::vector<uint8_t> table = ReadDataFile("animations.ko");
        EXPECT_TRUE(CheckAnimationFile(table).empty());
        LoadAnimations(state, table);
        return state;
    }();
    return s;
}

// That each is a PNG file is PngCodecTest.DataFolderPicturesDecodeAsQtDoesAndRoundTrip's.
TEST(AssetPictures, EveryPictureHasTheSizeTheGameCopies) {
    struct Expected {
        const char* name;
        int width, height;
    };
    const Expected sizes[] = {{"gui", 663, 510}, {"ko1", 12, 27},   {"ko3", 12, 12},
                              {"ko7", 240, 25},  {"ko12", 15, 475}, {"ko13", 19, 33}};
    for (const Expected& e : sizes) {
        const QImage p = Picture(e.name);
        EXPECT_EQ(p.size(), QSize(e.width, e.height)) << e.name;
    }
    const QImage cap = Picture("ko2");
    EXPECT_EQ(cap.width(), 12);
    EXPECT_TRUE(cap.height() >= 1 && cap.height() <= 27);
    const QImage bricks = Picture("ko6");
    EXPECT_EQ(bricks.height(), 25);
    EXPECT_TRUE(bricks.width() > 0 && bricks.width() % 20 == 0);
}

TEST(AssetPictures, ScreenKeepsTheLabelWindowsDarkAndDrawsBothButtons) {
    const QImage gui = Picture("gui");
    // Red label text (192, 0, 0) must stay readable: nothing bright behind the labels.
    const QRect labels[] = {
        {520, 16, 137, 33}, {520, 60, 137, 33}, {520, 107, 137, 33}, {520, 154, 137, 33}};
    for (const QRect& r : labels)
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                ASSERT_LE(std::max({qRed(gui.pixel(x, y)), qGreen(gui.pixel(x, y)),
                                    qBlue(gui.pixel(x, y))}),
                          40)
                    << "bright pixel behind a label at " << x << "," << y;
    // Each button face is drawn (not the plain background) and carries a light caption.
    for (const QRect& r : {QRect(570, 349, 81, 33), QRect(570, 412, 81, 33)}) {
        int drawn = 0, light = 0;
        for (int y = r.top(); y <= r.bottom(); ++y) {
            for (int x = r.left(); x <= r.right(); ++x) {
                drawn += gui.pixel(x, y) != qRgb(64, 64, 64);
                light += qGray(gui.pixel(x, y)) > 200;
            }
        }
        EXPECT_GT(drawn, r.width() * r.height() * 9 / 10);
        EXPECT_GT(light, 30) << "no caption on the button at " << r.top();
    }
}

TEST(AssetPictures, BatLooksWholeAndSymmetricInAllThreeLengths) {
    GameState& s = Loaded();
    const int visible[] = {57, 84, 30};  // the mirrored cap ends at the offsets 57, 84, 30
    for (int16_t size = 0; size <= 2; ++size) {
        s.Field = Surface(kFieldWidth, kFieldHeight);
        s.BatSize = size;
        s.BatTop = 100;
        DrawBat(s);
        for (int r = 0; r < visible[size]; ++r) {
            bool lit = false;
            for (int x = 440; x < 452; ++x) {
                const uint32_t top = s.Field.Pixel(x, 100 + r);
                lit = lit || top != kBlack;
                ASSERT_EQ(top, s.Field.Pixel(x, 100 + visible[size] - 1 - r))
                    << "bat size " << size << " is not symmetric at row " << r;
            }
            EXPECT_TRUE(lit) << "bat size " << size << " has a gap at row " << r;
        }
        for (int x = 440; x < 452; ++x)
            EXPECT_EQ(s.Field.Pixel(x, 100 + visible[size]), kBlack) << "bat size " << size;
    }
}

TEST(AssetPictures, BallGlowsInTheMiddleWithNothingAtItsCorners) {
    const QImage ball = Picture("ko3");
    for (QPoint corner : {QPoint(0, 0), QPoint(11, 0), QPoint(0, 11), QPoint(11, 11)})
        EXPECT_EQ(ball.pixel(corner) & 0xFFFFFF, 0u);
    EXPECT_GT(qGray(ball.pixel(5, 5)), 100);
}

// What the masked draw makes of such sheets (the background kept where the mask is white) is
// AnimationDrawTest.DrawsTheCurrentFrameWithTransparentPixelsKeepingTheBackground.
TEST(AssetPictures, AnimationSheetsHaveAnImageBandOverAConsistentMask) {
    GameState& s = Loaded();
    ASSERT_EQ(s.AnimationCount(), 6);
    for (int16_t kind = 0; kind < s.AnimationCount(); ++kind) {
        const AnimationRecord& a = s.Animations[kind];
        const SpriteSurface& sheet = s.Sprites[a.Sprite];
        SCOPED_TRACE("animation " + std::to_string(kind));
        // The mask band starts at FrameHeight and the game copies half the sheet's height.
        EXPECT_EQ(sheet.Height, 2 * a.FrameHeight);
        EXPECT_EQ(sheet.Width, a.Frames * a.FrameWidth);
        EXPECT_LE(a.FrameHeight, kCellHeight);  // fits the entry rows at the edges
        for (int f = 0; f < a.Frames; ++f) {
            int opaque = 0, changed = 0;
            for (int y = 0; y < a.FrameHeight; ++y) {
                for (int x = f * a.FrameWidth; x < (f + 1) * a.FrameWidth; ++x) {
                    const uint32_t image = sheet.Pixels.Pixel(x, y);
                    const uint32_t mask = sheet.Pixels.Pixel(x, a.FrameHeight + y);
                    ASSERT_TRUE(mask == kBlack || mask == kWhite)
                        << "grey mask at " << x << "," << y;
                    if (mask == kWhite) {
                        ASSERT_EQ(image, kBlack) << "image under a hole at " << x;
                    }
                    opaque += mask == kBlack;
                    const int next = (x + a.FrameWidth) % sheet.Width;
                    changed += image != sheet.Pixels.Pixel(next, y);
                }
            }
            EXPECT_GT(opaque, a.FrameWidth * a.FrameHeight / 6) << "frame " << f << " is empty";
            EXPECT_GT(changed, 0) << "frame " << f << " equals the next: nothing moves";
        }
    }
}

TEST(AssetPictures, BurstIsShortAndVirusesAnimateSmoothly) {
    GameState& s = Loaded();
    const AnimationRecord& burst = s.Animations[1];
    // At 100 steps a second: over within about a third of a second, so a level switches promptly.
    EXPECT_GE(burst.Frames * burst.FrameSteps, 15);
    EXPECT_LE(burst.Frames * burst.FrameSteps, 40);
    for (const int kind : {0, 2, 3, 4, 5}) {
        const AnimationRecord& a = s.Animations[kind];
        EXPECT_GE(a.Frames, 4) << "kind " << kind;
        EXPECT_TRUE(a.FrameSteps >= 3 && a.FrameSteps <= 12) << "kind " << kind;
    }
}

}  // namespace
