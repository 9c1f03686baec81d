// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The game screen's three messages between levels (Label3(0..2)) as designed, and the message that
// replaces the second one for a player called VEX.

#include <array>
#include <string_view>

namespace ZapModule {

inline constexpr std::array<std::string_view, 3> kBetweenLevelTexts = {
    "Vyhrál jsi bitvu, ale ne válku...", "V další části systému se objevily viry!",
    "Připrav se na další proceduru..."};
inline constexpr std::string_view kVexMessage = "Zase někdo používá moje jméno...";

}  // namespace ZapModule
