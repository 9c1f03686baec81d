// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The game state of a program on its menu: a roster, a one-level level file, the recording window
// and sound stand-ins, the player's files in memory; and the rules of the menu over it.

#include <vector>

#include "shell/menu_rules.h"
#include "shell/player_panel_rules.h"
#include "storage/level_file.h"
#include "tests/game/game_fixture.h"

namespace ZapModule {

class ShellFixture : public GameFixture {
  protected:
    // The roster the program starts with.
    static inline const std::vector<PlayerRecord> kRoster = {{"Ann", 500, 4, 2}, {"Bob", 70, 0, 1}};

    ShellFixture() {
        // One level with one brick at the top left.
        OpenLevelFile(s, {1, 0, 1, 0, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0, 0, 0});
        for (const PlayerRecord& player : kRoster) AddPlayer(player);
    }

    // A player in the roster and in the list, as the roster's loading puts it there.
    void AddPlayer(const PlayerRecord& player) {
        s.Players.push_back(player);
        window.AppendPlayerLine(player.Name);
    }

    PlayerPanelRules panel{s};
    MenuRules menu{s, panel};
};

}  // namespace ZapModule
