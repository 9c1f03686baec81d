// SPDX-License-Identifier: GPL-3.0-or-later
// The player panel's rules: choosing, creating and deleting players, and the hidden names.

#include <gtest/gtest.h>

#include "tests/shell/shell_fixture.h"

namespace ZapModule {
namespace {

using Button = PlayerPanelRules::Button;
using Texts = std::array<std::string, 3>;

class PlayerPanelRulesTest : public ShellFixture {};

TEST_F(PlayerPanelRulesTest, ShowsNobodyUntilAPlayerIsChosenAndThenItsNumbers) {
    EXPECT_EQ(panel.Selected(), -1);
    EXPECT_EQ(panel.NameText(), "Hráč");
    EXPECT_EQ(panel.Statistics(), (Texts{"Level: ", "Balls: ", "IQ: "}));

    panel.Select(0);
    EXPECT_EQ(panel.NameText(), "Ann");
    EXPECT_EQ(panel.Statistics(), (Texts{"Level: 5", "Balls: 2", "IQ: 500"}));
    // A row the roster does not have chooses nobody and leaves the labels as they were.
    panel.Select(2);
    EXPECT_EQ(panel.Selected(), -1);
    EXPECT_EQ(panel.NameText(), "Ann");
}

TEST_F(PlayerPanelRulesTest, ANewPlayerJoinsTheEndChosenWithThreeBallsWhateverItsName) {
    panel.Select(0);
    panel.CreatePlayer("");
    ASSERT_EQ(s.Players.size(), 3u);
    EXPECT_EQ(s.Players[2], (PlayerRecord{"", 0, 0, 3}));
    EXPECT_EQ(panel.Selected(), 2);
    EXPECT_EQ(panel.Statistics(), (Texts{"Level: 1", "Balls: 3", "IQ: 0"}));
    EXPECT_EQ(window.PlayerLines, (std::vector<std::string>{"Ann", "Bob", ""}));

    // A repeated name is a player of its own.
    panel.CreatePlayer("Ann");
    EXPECT_EQ(s.Players.size(), 4u);
    EXPECT_EQ(panel.NameText(), "Ann");
    EXPECT_EQ(panel.Statistics()[0], "Level: 1");
    // Nothing is written before Start or the menu's closing.
    EXPECT_EQ(files.WriteCount, 0);
}

TEST_F(PlayerPanelRulesTest, DeletionAsksFirstAndKeepsTheOthersInOrder) {
    EXPECT_FALSE(panel.DeleteQuestion());
    AddPlayer({"Cyril", 1, 1, 1});
    panel.Select(0);
    EXPECT_EQ(panel.DeleteQuestion(), "Tímto odstraníte hráče Ann! Opravdu to chcete??");
    panel.DeleteSelected();
    EXPECT_EQ(window.PlayerLines, (std::vector<std::string>{"Bob", "Cyril"}));
    EXPECT_EQ(s.Players, (std::vector<PlayerRecord>{{"Bob", 70, 0, 1}, {"Cyril", 1, 1, 1}}));
    EXPECT_EQ(panel.Selected(), -1);
    EXPECT_EQ(panel.NameText(), "Hráč");
    EXPECT_EQ(panel.Statistics(), (Texts{"Level: ", "Balls: ", "IQ: "}));
    EXPECT_EQ(files.WriteCount, 0);
}

TEST_F(PlayerPanelRulesTest, OnlyTheExactHiddenModeNameEditsTheLevel) {
    AddPlayer({"*QUORN*", 0, 0, 3});
    AddPlayer({"*quorn*", 0, 0, 3});
    panel.Select(3);
    EXPECT_FALSE(panel.EditLevel(Button::Other));
    EXPECT_FALSE(panel.EditLevel(Button::Right));  // not below the first level
    panel.Select(2);
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(panel.EditLevel(Button::Left));
    EXPECT_EQ(panel.Statistics()[0], "Level: 4");
    EXPECT_FALSE(panel.EditLevel(Button::Other));
    EXPECT_TRUE(panel.EditLevel(Button::Right));
    EXPECT_EQ(s.Players[2].Level, 2);
    // The level has no upper limit but the number's own.
    s.Players[2].Level = INT32_MAX;
    panel.Select(2);
    EXPECT_FALSE(panel.EditLevel(Button::Left));
    EXPECT_EQ(panel.Statistics()[0], "Level: 2147483648");
}

TEST_F(PlayerPanelRulesTest, TheTuneNamePlaysInAnyCaseWhateverTheSoundSwitch) {
    window.SoundSwitch = false;
    EXPECT_FALSE(panel.ClickName());  // "Hráč"
    AddPlayer({"zul_K", 0, 0, 3});
    panel.Select(2);
    EXPECT_TRUE(panel.ClickName());
    EXPECT_EQ(sounds->Calls, (std::vector<std::string>{"ExtraSelect", "ExtraStart"}));
    panel.Select(0);
    EXPECT_FALSE(panel.ClickName());
}

}  // namespace
}  // namespace ZapModule
