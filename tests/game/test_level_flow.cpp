// SPDX-License-Identifier: GPL-3.0-or-later
// Start, the level switch, lost balls and the game over; the game screen's input.

#include <gtest/gtest.h>

#include "game/balls.h"
#include "game/input.h"
#include "game/movers.h"
#include "game/tick.h"
#include "game_fixture.h"
#include "storage/level_file.h"
#include "storage/level_text.h"

namespace ZapModule {
namespace {

// A level file whose level k holds k + 1 bricks at x = 20 * i, y = 25 * k.
std::vector<uint8_t> LevelBytes(int levels) {
    std::string text;
    for (int k = 0; k < levels; ++k) {
        text += "level\n";
        for (int i = 0; i <= k; ++i)
            text +=
                "brick " + std::to_string(20 * i) + " " + std::to_string(25 * k) + " 10 0 0 0\n";
    }
    return CompileLevelText(text).Bytes;
}

class FlowTest : public GameFixture {
  protected:
    FlowTest() {
        OpenLevelFile(s, LevelBytes(10));
        s.Players = {{"Ann", 500, 13, 2}, {"vEx", 0, 0, 3}};
        window.PlayerLines = {"Ann", "vEx"};
    }

    // Clears the level: its last ordinary brick is destroyed, its explosion plays out.
    void ClearLevel() {
        s.Bricks.clear();
        s.BrickRects.clear();
        s.LevelDone = kTrue;
    }
};

TEST_F(FlowTest, StartPositionsTheLevelFileAtThePlayersLevel) {
    StartGame(s, 0, 8000);
    EXPECT_EQ(s.CurrentPlayer, 0);
    EXPECT_EQ(s.Level, 13);
    EXPECT_EQ(s.LevelsRead, 3);
    EXPECT_EQ(s.BrickCount(), 4);  // the file's fourth level
    EXPECT_EQ(s.Iq, 500);
    EXPECT_EQ(s.BallsLeft, 2);
    EXPECT_EQ(s.Tick, 8000);
    EXPECT_EQ(window.Label1[3], "Ann");
    EXPECT_EQ(window.Label3[1], "V další části systému se objevily viry!");
}

TEST_F(FlowTest, AnyCaseOfVexGetsItsOwnMessage) {
    StartGame(s, 1, 1);
    EXPECT_EQ(window.Label3[1], "Zase někdo používá moje jméno...");
}

TEST_F(FlowTest, NegativeSavedLevelStartsAtTheFirstBlock) {
    s.Players[0].Level = -5;
    StartGame(s, 0, 1);
    EXPECT_EQ(s.LevelsRead, 0);
    EXPECT_EQ(s.BrickCount(), 1);
}

TEST_F(FlowTest, LevelSwitchWaitsForExplosionsThenBanksAndStops) {
    StartGame(s, 1, 1);
    window.Interval = 1;
    s.ButtonDown[0] = kTrue;
    s.LevelIq = 30;
    ClearLevel();
    AddExplosion(s, 0, 0);
    EXPECT_EQ(GameStep(s), StepResult::Continue);  // the explosion still plays
    for (int i = 0; i < 20 && s.ExplosionCount() > 0; ++i) GameStep(s);
    ASSERT_EQ(GameStep(s), StepResult::LevelSwitched);
    EXPECT_EQ(s.Level, 1);
    EXPECT_EQ(s.Iq, 50);
    EXPECT_EQ(s.LevelIq, 0);
    EXPECT_EQ(window.Interval, 0);
    EXPECT_EQ(s.ButtonDown[0], kFalse);
    EXPECT_EQ(window.Label3Visible, (std::array<bool, 3>{true, true, true}));
    EXPECT_EQ(window.BackgroundReloads, 1);
    EXPECT_EQ(s.LevelDone, kFalse);
    EXPECT_EQ(Played().back(), "gong.wav");
}

TEST_F(FlowTest, NextLevelResetsBonusesButKeepsTheWallPicture) {
    s.WallOn = kTrue;
    s.WallS = 1;
    s.WallHeight = 475;
    s.BonusTimers[3] = 100;
    s.BatSize = 1;
    s.BatHeight = 87;
    AddMover(10, 10, 0);
    AddBonus(10, 10, 3);
    ServeBall(s);
    NextLevel(s);
    EXPECT_EQ(s.WallOn, kFalse);
    EXPECT_EQ(s.WallS, 1);
    EXPECT_EQ(s.WallHeight, 475);
    EXPECT_EQ(s.BonusTimers[3], -1);
    EXPECT_EQ(s.BatHeight, 60);
    EXPECT_EQ(s.MoverCount(), 0);
    EXPECT_EQ(s.BonusCount(), 0);
    EXPECT_EQ(s.BallCount(), 1);
}

TEST_F(FlowTest, LastLevelOfTheFileWrapsToTheFirst) {
    OpenLevelFile(s, LevelBytes(2));
    StartGame(s, 1, 1);
    NextLevel(s);
    EXPECT_EQ(s.BrickCount(), 2);
    NextLevel(s);
    EXPECT_EQ(s.Level, 2);
    EXPECT_EQ(s.LevelsRead, 0);
    EXPECT_EQ(s.BrickCount(), 1);
}

TEST_F(FlowTest, LevelNumberWrapsAtSixteenBits) {
    s.Level = 32767;
    NextLevel(s);
    EXPECT_EQ(s.Level, -32768);
    s.Level = 32767;
    StartPlay(s);
    EXPECT_EQ(window.Label1[2], "-32768");  // the label's Level + 1 wraps too
}

TEST_F(FlowTest, LosingOneOfSeveralBallsChangesOnlyTheCount) {
    ServeBall(s);
    s.WallOn = kTrue;
    RemoveBall(s, 0);
    EXPECT_EQ(s.BallCount(), 1);
    EXPECT_EQ(s.WallOn, kTrue);
}

TEST_F(FlowTest, LosingTheLastBallEndsEveryBonusAndServesAgain) {
    s.WallOn = kTrue;
    s.Piercing = kTrue;
    s.BonusTimers[10] = 50;
    Ball().Dead = kTrue;
    GameStep(s);
    EXPECT_EQ(s.BallCount(), 1);
    EXPECT_EQ(Ball().Stuck, kTrue);
    EXPECT_EQ(s.WallOn, kFalse);
    EXPECT_EQ(s.Piercing, kFalse);
    EXPECT_EQ(s.BonusTimers[10], -1);
    EXPECT_EQ(s.BallsLeft, 3);
    EXPECT_TRUE(Played().empty());  // no effect2.wav for the ended bonuses
}

TEST_F(FlowTest, GameOverEntersTheHallRemovesThePlayerAndUnloads) {
    StartGame(s, 0, 1);
    s.BallsLeft = 0;
    s.Iq = 850;
    s.LevelIq = 5;
    Ball().Dead = kTrue;
    EXPECT_EQ(GameStep(s), StepResult::Unloaded);
    ASSERT_EQ(window.Messages.size(), 1u);
    EXPECT_EQ(window.Messages[0].Text, "Bohužel se ti nepodařilo systém zachránit...");
    EXPECT_EQ(window.Messages[0].Title, "SYSTEM FAILURE");
    EXPECT_EQ(s.Iq, 855);
    EXPECT_EQ(s.Hall[2], (HallEntry{"Ann", 855}));
    EXPECT_EQ(s.Players, (std::vector<PlayerRecord>{{"vEx", 0, 0, 3}}));
    EXPECT_EQ(s.CurrentPlayer, -1);
    EXPECT_EQ(window.HallShown, 1);
    EXPECT_TRUE(window.Unloaded);
    EXPECT_EQ(s.BallCount(), 0);  // nothing more happens in that step
}

using InputTest = GameFixture;

TEST_F(InputTest, FirstSpaceStartsPlayTheNextReleasesTheBall) {
    s.BallsLeft = 2;
    s.Iq = 70;
    s.Level = 4;
    window.Label3Visible = {true, true, true};
    FieldKeyDown(s, kKeySpace);
    EXPECT_EQ(window.Interval, 1);
    EXPECT_EQ(s.ButtonDown[0], kTrue);
    EXPECT_EQ(window.Label1,
              (std::array<std::string, 4>{"2", "70", "5", std::string(kNoPlayerName)}));
    EXPECT_EQ(window.Label3Visible, (std::array<bool, 3>{false, false, false}));
    EXPECT_EQ(Ball().Stuck, kTrue);
    FieldKeyDown(s, kKeySpace);
    EXPECT_EQ(Ball().Stuck, kFalse);
    EXPECT_EQ(Ball().Follows, kFalse);
    EXPECT_EQ(Played(), std::vector<std::string>{"wall.wav"});
}

TEST_F(InputTest, ScreenButtonsUseTheirRectanglesWithoutRightAndBottomEdges) {
    ScreenMouseDown(s, 651, 360);  // right edge: outside
    EXPECT_EQ(window.Interval, 0);
    ScreenMouseDown(s, 600, 430);  // quit while stopped: nothing
    EXPECT_EQ(s.ButtonDown[1], kFalse);
    ScreenMouseDown(s, 570, 349);
    EXPECT_EQ(window.Interval, 1);
    ScreenMouseDown(s, 600, 360);  // while running: nothing more
    EXPECT_EQ(Played().size(), 1u);
    ScreenMouseDown(s, 650, 444);
    EXPECT_EQ(s.ButtonDown[1], kTrue);
    EXPECT_EQ(s.QuitCountdown, 20);
}

TEST_F(InputTest, EscapeQuitsOnlyWhileRunningAndRestartsTheCountdown) {
    FieldKeyDown(s, kKeyEscape);
    EXPECT_EQ(s.ButtonDown[1], kFalse);
    window.Interval = 1;
    FieldKeyDown(s, kKeyEscape);
    s.QuitCountdown = 7;
    FieldKeyDown(s, kKeyEscape);
    EXPECT_EQ(s.QuitCountdown, 20);
    EXPECT_EQ(Played(), (std::vector<std::string>{"wall.wav", "wall.wav"}));
}

TEST_F(InputTest, KeysSetAndClearTheirFlags) {
    FieldKeyDown(s, kKeyUp);
    FieldKeyDown(s, kKeyDown);
    EXPECT_EQ(s.MovingUp, kTrue);
    EXPECT_EQ(s.MovingDown, kTrue);
    FieldKeyUp(s, kKeyUp);
    EXPECT_EQ(s.MovingUp, kFalse);
    EXPECT_EQ(s.MovingDown, kTrue);
    FieldKeyDown(s, kKeyP);
    EXPECT_EQ(s.Paused, kTrue);
    FieldKeyDown(s, kKeyP);  // twice before a step boundary: the loop never notices
    EXPECT_EQ(s.Paused, kFalse);
    FieldKeyDown(s, 65);
    FieldKeyUp(s, kKeyP);
    EXPECT_EQ(s.Paused, kFalse);
}

}  // namespace
}  // namespace ZapModule
