// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The folders of the page's file system, which the module and the page's scripts share (the build
// writes them into page_design.js): the game's data and the player's files.

namespace ZapModule {

inline constexpr char kPageDataFolder[] = "/data";
inline constexpr char kPageUserFolder[] = "/user";

}  // namespace ZapModule
