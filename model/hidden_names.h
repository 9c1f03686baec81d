// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The player names that unlock hidden behaviour. *QUORN* (exact case) never loses a spare ball,
// never enters the hall of fame and can change its level on the menu; ZUL_K (any case) plays the
// sound component's tune from the menu's name label; VEX (any case) gets its own message between
// levels.

#include <string>
#include <string_view>

namespace ZapModule {

inline constexpr std::string_view kHiddenModeName = "*QUORN*";

inline bool IsHiddenModeName(std::string_view name) {
    return name == kHiddenModeName;
}

// The name in ASCII capitals, as the comparisons that ignore case see it.
inline std::string UpperCaseName(std::string_view name) {
    std::string upper(name);
    for (char& c : upper)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return upper;
}

inline bool IsTuneName(std::string_view name) {
    return UpperCaseName(name) == "ZUL_K";
}

inline bool IsVexName(std::string_view name) {
    return UpperCaseName(name) == "VEX";
}

}  // namespace ZapModule
