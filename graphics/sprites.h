// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The thirteen sprite surfaces and the copies one drawing pass makes onto the field.

#include <functional>
#include <optional>
#include <string>

#include "model/state.h"

namespace ZapModule {

// Turns a picture file into a surface, or nothing when it cannot be read, with the reason in
// Czech in *problem when given (pictures/picture_loader is the Qt one).
using PictureLoader =
    std::function<std::optional<Surface>(const std::string& path, std::string* problem)>;

constexpr int kSpriteCount = 13;

// Why a picture of this size cannot be used, in Czech; empty when it can. The one size rule of
// every picture, for the loader, the sprites and the data check alike.
std::string PictureSizeProblem(int64_t width, int64_t height);

// Loads DataFolder/pictures/ko1 ... ko13 into Sprites 0 to 12, in place of any loaded before.
// On a picture that does not load (or breaks the size rule), stops, leaves Sprites empty and
// returns false with the file's data-relative name ("pictures/ko7") in *failed and the reason in
// *why.
bool LoadSprites(GameState& s, const PictureLoader& load, std::string* failed,
                 std::string* why = nullptr);
// Deletes every surface; a second call deletes nothing.
void ReleaseSprites(GameState& s);

// The copy table of one drawing pass, each onto GameState::Field (nothing when it is empty).
// A copy from a sprite that does not exist draws nothing; no copy allocates.
void DrawBall(GameState& s, const BallRecord& ball);
void DrawBat(GameState& s);
void DrawBrick(GameState& s, const BrickRecord& brick);
void DrawBonus(GameState& s, const BonusRecord& bonus);
// The wall while WallOn, by WallS: standing, or its lowest WallHeight rows while it grows or
// shrinks. WallS and WallHeight are left to the tick.
void DrawWall(GameState& s);
// Draws the mover's or explosion's current frame masked; a Kind outside Animations draws nothing.
// The frame counters are the game's (AdvanceAnimation in game/movers.h).
void DrawAnimation(GameState& s, const MoverRecord& m);

}  // namespace ZapModule
