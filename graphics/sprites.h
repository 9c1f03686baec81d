#pragma once
// The thirteen sprite surfaces and the copies one drawing pass makes onto the field.

#include <functional>
#include <optional>
#include <string>

#include "game/state.h"

namespace ZapModule {

// Turns a picture file into a surface, or nothing when it cannot be read (graphics/picture_loader
// is the Qt one).
using PictureLoader = std::function<std::optional<Surface>(const std::string& path)>;

constexpr int kSpriteCount = 13;

// Loads AppPath/data/pictures/ko1 ... ko13 into Sprites 0 to 12. On a picture that does not load,
// stops, leaves Sprites empty and returns false with the file's data-relative name in *failed.
bool LoadSprites(GameState& s, const PictureLoader& load, std::string* failed);
// Deletes every surface; a second call deletes nothing.
void ReleaseSprites(GameState& s);

// The copy table of one drawing pass, each onto GameState::Field (nothing when it is empty).
void DrawBall(GameState& s, const BallRecord& ball);
void DrawBat(GameState& s);
void DrawBrick(GameState& s, const BrickRecord& brick);
void DrawBonus(GameState& s, const BonusRecord& bonus);
// The wall by WallS: standing, or its lowest WallHeight rows while it grows or shrinks.
void DrawWall(GameState& s);
// Advances the mover's or explosion's frame counters, then draws its frame masked.
void DrawAnimation(GameState& s, MoverRecord& m);

}  // namespace ZapModule
