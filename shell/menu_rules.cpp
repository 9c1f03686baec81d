// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/menu_rules.h"

#include <algorithm>

#include "game/kept_files.h"
#include "game/level_flow.h"
#include "shell/player_panel_rules.h"
#include "shell/window_design.h"
#include "sound/sound.h"
#include "storage/tick.h"

namespace ZapModule {

namespace {

constexpr Rgb kHoveredFrame = 0xFFFF00;
constexpr Rgb kTouchedFrame = 0x787878;

}  // namespace

void MenuRules::SetTick(int value) {
    tick_ = static_cast<int16_t>(std::clamp<int>(value, kMinTick, kMaxTick));
}

std::string MenuRules::TickText() const {
    return std::string(MenuDesign::kTickCaption) + std::to_string(tick_);
}

void MenuRules::Hover(Command command) {
    for (size_t n = 0; n < frames_.size(); ++n)
        frames_[n] = n == static_cast<size_t>(command) ? kHoveredFrame : kTouchedFrame;
}

bool MenuRules::Start(intptr_t gameWindow) {
    const int row = players_.Selected();
    if (row < 0) return false;
    SetUpSound(s_, gameWindow);
    SaveRoster(s_);
    StartGame(s_, static_cast<int16_t>(row), tick_);
    return true;
}

}  // namespace ZapModule
