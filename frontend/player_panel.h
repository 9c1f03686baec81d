// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The menu's player panel on screen: the roster's list List1 (line i is always Players[i]), the
// chosen player's name and statistics, the name box Text1 for a new player and deletion with the
// Delete key after a question. It shows the state of PlayerPanelRules and forwards every input to
// them.

#include <QLineEdit>
#include <QListWidget>
#include <QObject>
#include <array>
#include <functional>
#include <string>

#include "frontend/look.h"
#include "shell/player_panel_rules.h"

namespace ZapModule {

class PlayerPanel : public QObject {
  public:
    PlayerPanel(PlayerPanelRules& rules, Panel* frame);

    // The selected line, -1 when none is selected.
    int SelectedRow() const;
    void AppendLine(const std::string& name);
    void RemoveLine(int index);

    // The program chooses the player of `row`, as a selection in the list would.
    void Choose(int row);
    // Enter in Text1: a new player from the typed name, selected.
    void CreatePlayer();
    // Delete in List1: asks, then removes the selected player.
    void DeleteSelectedPlayer();

    // Enter in List1: the menu starts a game with the selected player.
    std::function<void()> OnEnterInList;
    // Asks the player a question in a box with "Ano" and "Ne"; `yes` runs on Ano.
    std::function<void(const std::string& question, const std::string& title,
                       std::function<void()> yes)>
        AskQuestion;

    QListWidget* List() { return list_; }
    QLineEdit* NameBox() { return nameBox_; }
    ActiveLabel* NameLabel() { return nameLabel_; }
    ActiveLabel* Statistic(int index) { return stats_.at(static_cast<size_t>(index)); }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // The list's selection changed: the rules choose that player.
    void ForwardSelection();
    // Shows what the rules say: the chosen line, the name label and the statistics.
    void ShowRules();

    PlayerPanelRules& rules_;
    QListWidget* list_;
    QLineEdit* nameBox_;
    ActiveLabel* nameLabel_;
    std::array<ActiveLabel*, 3> stats_{};
};

}  // namespace ZapModule
