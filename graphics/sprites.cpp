// SPDX-License-Identifier: GPL-3.0-or-later
#include "graphics/sprites.h"

#include <utility>
#include <vector>

#include "graphics/raster.h"
#include "values/data_limits.h"
#include "values/rounding.h"

namespace ZapModule {

namespace {

// The bat is a cap, body segments 27 rows apart and a mirrored cap, at fixed offsets from BatTop.
constexpr int32_t kFirstBodyOffset = 3;
constexpr int32_t kSecondBodyOffset = 30;
constexpr int32_t kThirdBodyOffset = 57;

// The line from which the mirrored bottom cap extends upward: the cap's height above the bat's
// bottom.
int32_t BottomCapOffset(int16_t batSize) {
    switch (batSize) {
        case kLongBat:
            return kLongBatHeight - kFirstBodyOffset;
        case kShortBat:
            return kShortBatHeight - kFirstBodyOffset;
        default:
            return kNormalBatHeight - kFirstBodyOffset;
    }
}

const SpriteSurface* SpriteAt(const GameState& s, int index) {
    if (index < 0 || static_cast<size_t>(index) >= s.Sprites.size()) return nullptr;
    return &s.Sprites[static_cast<size_t>(index)];
}

// Copies the width x height block at (sx, sy) of the sprite to (x, y) of the field; nothing when
// the sprite does not exist.
void CopyFromSprite(GameState& s, int index, int32_t x, int32_t y, int32_t width, int32_t height,
                    int32_t sx, int32_t sy, RasterOp op = SRCCOPY) {
    if (const SpriteSurface* sprite = SpriteAt(s, index))
        BitBlt(s.Field, x, y, width, height, sprite->Pixels, sx, sy, op);
}

void CopyWholeSprite(GameState& s, int index, int32_t x, int32_t y) {
    if (const SpriteSurface* sprite = SpriteAt(s, index))
        BitBlt(s.Field, x, y, sprite->Width, sprite->Height, sprite->Pixels, 0, 0, SRCCOPY);
}

}  // namespace

std::string PictureSizeProblem(int64_t width, int64_t height) {
    if (width <= 0 || height <= 0) return "obrázek je prázdný";
    if (width > kMaxPictureSide || height > kMaxPictureSide || width * height > kMaxPicturePixels) {
        return "obrázek je příliš velký: " + std::to_string(width) + " × " +
               std::to_string(height) + " bodů, nejvýše " + std::to_string(kMaxPictureSide) +
               " bodů na stranu a " + std::to_string(kMaxPicturePixels) + " bodů celkem";
    }
    return {};
}

bool LoadSprites(GameState& s, const PictureLoader& load, std::string* failed, std::string* why) {
    ReleaseSprites(s);
    std::vector<SpriteSurface> sprites;
    sprites.reserve(kSpriteCount);
    for (int i = 0; i < kSpriteCount; ++i) {
        const std::string name = SpritePicture(i);
        std::optional<Surface> picture;
        std::string problem = "obrázek nelze načíst";
        if (load) picture = load(DataPath(s, name), &problem);
        // A sprite's size is 16-bit: the size rule keeps every picture within it.
        if (picture) problem = PictureSizeProblem(picture->Width(), picture->Height());
        if (!picture || !problem.empty()) {
            if (failed != nullptr) *failed = name;
            if (why != nullptr) *why = problem;
            return false;
        }
        SpriteSurface sprite;
        sprite.Width = static_cast<int16_t>(picture->Width());
        sprite.Height = static_cast<int16_t>(picture->Height());
        sprite.Pixels = std::move(*picture);
        sprites.push_back(std::move(sprite));
    }
    s.Sprites = std::move(sprites);
    return true;
}

void ReleaseSprites(GameState& s) {
    std::vector<SpriteSurface>().swap(s.Sprites);
}

void DrawBall(GameState& s, const BallRecord& ball) {
    CopyWholeSprite(s, kBallSprite, RoundToInt32(ball.X), RoundToInt32(ball.Y));
}

void DrawBat(GameState& s) {
    const int32_t top = s.BatTop;
    CopyWholeSprite(s, kBatCapSprite, kBatLeft, top);
    CopyWholeSprite(s, kBatBodySprite, kBatLeft, top + kFirstBodyOffset);
    if (s.BatSize != kShortBat)
        CopyWholeSprite(s, kBatBodySprite, kBatLeft, top + kSecondBodyOffset);
    if (s.BatSize == kLongBat) CopyWholeSprite(s, kBatBodySprite, kBatLeft, top + kThirdBodyOffset);
    // The bottom cap is the top cap mirrored: a negative height turns it upside down and makes
    // it extend upward from the given line.
    if (const SpriteSurface* cap = SpriteAt(s, kBatCapSprite))
        StretchBlt(s.Field, kBatLeft, top + BottomCapOffset(s.BatSize), cap->Width,
                   -int32_t{cap->Height}, cap->Pixels, 0, 0, cap->Width, cap->Height, SRCCOPY);
}

void DrawBrick(GameState& s, const BrickRecord& brick) {
    // A steel brick that was just hit shows the next cell while it flashes.
    int16_t cell = brick.Picture;
    if (brick.Type == kTypeSteel && brick.Flash > 0) cell = static_cast<int16_t>(cell + 1);
    const auto sx = static_cast<int16_t>(kCellWidth * cell);
    CopyFromSprite(s, kBrickSheetSprite, brick.X, brick.Y, kCellWidth, kCellHeight, sx, 0);
}

void DrawBonus(GameState& s, const BonusRecord& bonus) {
    // Bonus pictures are counted from 1.
    const auto sx = static_cast<int16_t>(kCellWidth * bonus.Picture - kCellWidth);
    CopyFromSprite(s, kBonusSheetSprite, bonus.X, bonus.Y, kCellWidth, kCellHeight, sx, 0);
}

void DrawWall(GameState& s) {
    if (s.WallOn != kTrue) return;
    const SpriteSurface* wall = SpriteAt(s, kWallSprite);
    if (wall == nullptr) return;
    if (s.WallS == kWallStanding) {
        BitBlt(s.Field, kWallLeft, 0, wall->Width, wall->Height, wall->Pixels, 0, 0, SRCCOPY);
    } else if (s.WallS == kWallGrowing || s.WallS == kWallShrinking) {
        // The lowest WallHeight rows, so the wall seems to slide down from the top edge.
        BitBlt(s.Field, kWallLeft, 0, wall->Width, s.WallHeight, wall->Pixels, 0,
               wall->Height - s.WallHeight, SRCCOPY);
    }
}

void DrawAnimation(GameState& s, const MoverRecord& m) {
    if (m.Kind < 0 || static_cast<size_t>(m.Kind) >= s.Animations.size()) return;
    const AnimationRecord& a = s.Animations[static_cast<size_t>(m.Kind)];
    const SpriteSurface* sheet = SpriteAt(s, a.Sprite);
    if (sheet == nullptr || s.Field.Empty()) return;
    // Each sheet holds the image band on top of the mask band; half its height is copied.
    const int16_t band = RoundToInt16(sheet->Height / 2.0);
    const auto sx = static_cast<int16_t>(a.FrameWidth * m.Frame);
    const int32_t x = RoundToInt32(m.X);
    const int32_t y = RoundToInt32(m.Y);
    // The mask (black where the frame is opaque) clears those pixels; the image (black where it
    // is transparent) is then painted into them.
    CopyFromSprite(s, a.Sprite, x, y, a.FrameWidth, band, sx, a.FrameHeight, SRCAND);
    CopyFromSprite(s, a.Sprite, x, y, a.FrameWidth, band, sx, 0, SRCPAINT);
}

}  // namespace ZapModule
