// SPDX-License-Identifier: GPL-3.0-or-later
// The menu's rules: the speed setting, the hover frames, the hall of fame's colour cycle and Start.

#include <gtest/gtest.h>

#include "shell/hall_colours.h"
#include "storage/roster.h"
#include "tests/shell/shell_fixture.h"

namespace ZapModule {
namespace {

class MenuRulesTest : public ShellFixture {};

TEST_F(MenuRulesTest, TheSpeedSettingStaysWithinItsRangeAndLabelsItself) {
    EXPECT_EQ(menu.Tick(), 8000);
    EXPECT_EQ(menu.TickText(), "Tick: 8000");
    menu.SetTick(0);
    EXPECT_EQ(menu.TickText(), "Tick: 1");
    menu.SetTick(70000);
    EXPECT_EQ(menu.Tick(), 10000);
}

TEST_F(MenuRulesTest, TheLastCommandTouchedKeepsItsYellowFrame) {
    for (auto n : {MenuRules::kStart, MenuRules::kHallOfFame, MenuRules::kExit})
        EXPECT_EQ(menu.FrameColour(n), 0x808080u);
    menu.Hover(MenuRules::kStart);
    menu.Hover(MenuRules::kExit);
    EXPECT_EQ(menu.FrameColour(MenuRules::kStart), 0x787878u);
    EXPECT_EQ(menu.FrameColour(MenuRules::kHallOfFame), 0x787878u);
    EXPECT_EQ(menu.FrameColour(MenuRules::kExit), 0xFFFF00u);
}

TEST_F(MenuRulesTest, TheHallOfFameColoursMoveTowardsRankOneAndComeBackAfterTenSteps) {
    HallColourCycle colours;
    colours.Step();
    EXPECT_EQ(colours.RowColour(0), 0xC0FFC0u);
    EXPECT_EQ(colours.RowColour(9), 0xFFFFFFu);
    for (int i = 1; i < 10; ++i) colours.Step();
    for (int row = 0; row < 10; ++row)
        EXPECT_EQ(colours.RowColour(row), HallColourCycle::kDesignColours[row]);
}

TEST_F(MenuRulesTest, StartWithNobodyChosenDoesNothing) {
    EXPECT_FALSE(menu.Start(0));
    EXPECT_EQ(files.WriteCount, 0);
    EXPECT_TRUE(sounds->Calls.empty());
    EXPECT_EQ(s.CurrentPlayer, -1);
}

TEST_F(MenuRulesTest, StartSetsUpTheSoundSavesTheRosterAndPlaysTheChosenPlayer) {
    panel.Select(0);
    menu.SetTick(250);
    ASSERT_TRUE(menu.Start(77));
    EXPECT_EQ(sounds->Calls, (std::vector<std::string>{"Query", "Open"}));
    EXPECT_EQ(s.SoundReady, kTrue);
    EXPECT_EQ(ParseRoster(files.Held[kRosterFile]).Players, s.Players);
    EXPECT_EQ(s.CurrentPlayer, 0);
    EXPECT_EQ(s.Tick, 250);
    // Four levels past the one-level file: its first level again.
    EXPECT_EQ(s.LevelsRead, 0);
    EXPECT_EQ(s.BrickCount(), 1);
}

TEST_F(MenuRulesTest, StartWithTheSoundsOffLeavesTheComponentAlone) {
    window.SoundSwitch = false;
    panel.Select(1);
    ASSERT_TRUE(menu.Start(0));
    EXPECT_TRUE(sounds->Calls.empty());
    EXPECT_EQ(s.SoundReady, kFalse);
    EXPECT_EQ(s.PlayerName, "Bob");
}

}  // namespace
}  // namespace ZapModule
