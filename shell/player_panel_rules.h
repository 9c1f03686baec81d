// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The rules of the menu's player panel, without any window: which player is chosen, what the name
// label and the three statistics show, creating and deleting a player, and the two hidden name
// features (model/hidden_names.h: the level edit and the tune). A view shows NameText()
// and Statistics() after forwarding each input; the player list itself follows the roster through
// the window port (AppendPlayerLine, RemovePlayerLine), so line i always shows Players[i].

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "model/state.h"
#include "shell/window_design.h"

namespace ZapModule {

// A player as the panel makes one: no IQ, the first level, three spare balls.
inline PlayerRecord NewPlayer(std::string_view name) {
    return {std::string(name), 0, 0, 3};
}

class PlayerPanelRules {
  public:
    enum class Button { Left, Right, Other };

    // Nobody is chosen: the name label shows "Hráč" and the statistics their captions alone.
    explicit PlayerPanelRules(GameState& s);

    // The chosen line, -1 when none.
    int Selected() const { return selected_; }
    // A selection change in the list (mouse, keys or the program); a row outside the roster
    // chooses nobody.
    void Select(int row);

    // Enter in the name box: a new player with 3 spare balls after the others, chosen. The name
    // is taken as typed (an empty or repeated name too).
    void CreatePlayer(std::string_view name);
    // Delete in the list: the question to ask before deleting the chosen player, or nothing when
    // no player is chosen.
    std::optional<std::string> DeleteQuestion() const;
    // The question was answered Yes: the chosen player leaves the roster and nobody is chosen.
    void DeleteSelected();

    // A press on the level statistic: with the hidden-mode name chosen, Left raises the level and
    // Right lowers it down to the first; true when the level changed.
    bool EditLevel(Button button);
    // A click on the name label: ZUL_K (any case) plays the sound component's tune; true when it
    // did.
    bool ClickName();

    // What the name label shows: the chosen player's name, "Hráč" when nobody is chosen.
    const std::string& NameText() const { return nameText_; }
    // "Level: ", "Balls: ", "IQ: " followed by the chosen player's numbers (nothing when nobody
    // is chosen).
    const std::array<std::string, 3>& Statistics() const { return statistics_; }

    // The deletion question's title.
    static constexpr std::string_view kQuestionTitle = "POZOR!";

  private:
    void ShowChosen();
    void ShowNobody();

    GameState& s_;
    int selected_ = -1;
    std::string nameText_;
    std::array<std::string, 3> statistics_;
};

}  // namespace ZapModule
