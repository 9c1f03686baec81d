#pragma once
// The menu's player panel: the roster's list List1 (line i is always Players[i]), the selected
// player's name and statistics, the name box Text1 for a new player, deletion with the Delete
// key after a question, and the two hidden name features (*QUORN*'s level edit, ZUL_K's tune).

#include <QLineEdit>
#include <QListWidget>
#include <QObject>
#include <array>

#include "frontend/look.h"
#include "game/state.h"

namespace ZapModule {

class PlayerPanel : public QObject {
  public:
    PlayerPanel(GameState& s, Panel* frame);

    // The selected line, -1 when none is selected.
    int SelectedRow() const;
    void AppendLine(const std::string& name);
    void RemoveLine(int index);

    // Enter in Text1: a new player from the typed name, selected.
    void CreatePlayer();
    // Delete in List1: asks, then removes the selected player.
    void DeleteSelectedPlayer();

    QListWidget* List() { return list_; }
    QLineEdit* NameBox() { return nameBox_; }
    ActiveLabel* NameLabel() { return nameLabel_; }
    ActiveLabel* Statistic(int index) { return stats_.at(static_cast<size_t>(index)); }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void ShowSelectedPlayer();
    void ShowStatistics(const QString& level, const QString& balls, const QString& iq);
    void EditLevel(Qt::MouseButton button);
    void PlayTuneOnName();

    GameState& s_;
    QListWidget* list_;
    QLineEdit* nameBox_;
    ActiveLabel* nameLabel_;
    std::array<ActiveLabel*, 3> stats_{};
};

}  // namespace ZapModule
