// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/player_panel_rules.h"

#include <climits>

#include "game/kept_files.h"
#include "model/hidden_names.h"
#include "ports/window_port.h"
#include "sound/sound.h"

namespace ZapModule {

PlayerPanelRules::PlayerPanelRules(GameState& s) : s_(s) {
    ShowNobody();
}

void PlayerPanelRules::Select(int row) {
    if (row < 0 || static_cast<size_t>(row) >= s_.Players.size()) {
        selected_ = -1;
        return;
    }
    selected_ = row;
    ShowChosen();
}

void PlayerPanelRules::CreatePlayer(std::string_view name) {
    s_.Players.push_back(NewPlayer(name));
    s_.Window->AppendPlayerLine(name);
    Select(static_cast<int>(s_.Players.size()) - 1);
}

std::optional<std::string> PlayerPanelRules::DeleteQuestion() const {
    if (selected_ < 0) return std::nullopt;
    return "Tímto odstraníte hráče " + s_.Players[static_cast<size_t>(selected_)].Name +
           "! Opravdu to chcete??";
}

void PlayerPanelRules::DeleteSelected() {
    if (selected_ < 0) return;
    DeletePlayer(s_, static_cast<int16_t>(selected_));
    selected_ = -1;
    ShowNobody();
}

bool PlayerPanelRules::EditLevel(Button button) {
    if (selected_ < 0 || !IsHiddenModeName(nameText_)) return false;
    int32_t& level = s_.Players[static_cast<size_t>(selected_)].Level;
    if (button == Button::Left && level < INT32_MAX) {
        ++level;
    } else if (button == Button::Right && level >= 1) {
        --level;
    } else {
        return false;
    }
    ShowChosen();
    return true;
}

bool PlayerPanelRules::ClickName() {
    if (!IsTuneName(nameText_)) return false;
    PlayExtraTune(s_);
    return true;
}

void PlayerPanelRules::ShowChosen() {
    const PlayerRecord& player = s_.Players[static_cast<size_t>(selected_)];
    nameText_ = player.Name;
    statistics_ = {
        std::string(MenuDesign::kStatisticCaptions[0]) + std::to_string(int64_t{player.Level} + 1),
        std::string(MenuDesign::kStatisticCaptions[1]) + std::to_string(player.SpareBalls),
        std::string(MenuDesign::kStatisticCaptions[2]) + std::to_string(player.Iq)};
}

void PlayerPanelRules::ShowNobody() {
    nameText_ = MenuDesign::kNobodyText;
    for (size_t i = 0; i < statistics_.size(); ++i)
        statistics_[i] = std::string(MenuDesign::kStatisticCaptions[i]);
}

}  // namespace ZapModule
