// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A game state as the game screen has it after loading, alone (several games side by side) or as
// a test's fixture.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "game/level_flow.h"
#include "game/recording_window.h"
#include "model/state.h"
#include "sound/recording_sound.h"
#include "storage/memory_data_files.h"

namespace ZapModule {

// A game state as the game screen has it after loading, with recording stand-ins for the window,
// the files and the sound component, and the six-record animation table the game ships with.
struct LoadedGame {
    LoadedGame() {
        s.Window = &window;
        s.Files = &files;
        s.SoundFactory = [log = sounds] { return std::make_unique<RecordingSound>(log); };
        s.AppPath = "/app";
        // Sheet, frames, width, height, steps; kind 1 is the explosion.
        s.Animations = {{3, 4, 20, 20, 3}, {4, 5, 24, 24, 2}, {7, 4, 16, 16, 3},
                        {8, 4, 18, 18, 3}, {9, 4, 20, 20, 3}, {10, 4, 22, 22, 3}};
        InitProgramState(s);
        LoadGameScreen(s);
    }

    RecordingWindow window;
    MemoryDataFiles files;
    std::shared_ptr<SoundLog> sounds = std::make_shared<SoundLog>();
    GameState s;
};

// A loaded game at Tick 1 whose random draws never spawn a mover, with helpers that place its
// bricks, bonus items, movers and balls.
class GameFixture : public ::testing::Test, protected LoadedGame {
  protected:
    GameFixture() {
        s.Tick = 1;
        // Below the spawn chance, so no mover appears unless a test asks for one.
        s.Random.UseSequence({0.5f});
    }

    // The effect file names played so far, in order.
    std::vector<std::string> Played() const {
        std::vector<std::string> names;
        for (const std::string& path : sounds->Played)
            names.push_back(path.substr(path.rfind('/') + 1));
        return names;
    }

    BallRecord& Ball(size_t i = 0) { return s.Balls.at(i); }

    static BrickRecord Brick(int16_t x, int16_t y, int16_t type = 0, int16_t points = 5,
                             int16_t bonus = 0) {
        return {.X = x, .Y = y, .Points = points, .Type = type, .Bonus = bonus};
    }

    void AddBrick(const BrickRecord& b) {
        s.Bricks.push_back(b);
        s.BrickRects.push_back(CellRect(b.X, b.Y));
    }

    void AddBonus(int16_t x, int16_t y, int16_t kind, int16_t life = 2000) {
        s.Bonuses.push_back({x, y, kind, kind, life});
        s.BonusRects.push_back(CellRect(x, y));
    }

    void AddMover(float x, float y, int16_t kind, float dx = 0, float dy = 0) {
        s.Movers.push_back({x, y, dx, dy, kind});
        s.MoverRects.push_back({});
    }

    // Ball i made a free, live ball at (x, y) moving by (dx, dy).
    void PlaceBall(size_t i, float x, float y, float dx, float dy) {
        s.Balls.at(i) = {x, y, dx, dy};
    }
};

}  // namespace ZapModule
