// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Qt ends a program that finds no screen with an abort and a page of text. The game and the
// editor look first and say it in one line instead.

#include <string_view>

namespace ZapModule {

// The reasons, printed after the program's name ("zapwall: …", "zapwall-editor: …").
inline constexpr std::string_view kNoDisplayText =
    "není k dispozici displej, okno nelze otevřít (DISPLAY, WAYLAND_DISPLAY)";
inline constexpr std::string_view kNoWaylandPluginText =
    "okno nelze otevřít ve Waylandu, chybí zásuvný modul Qt pro Wayland (balíček qt6-wayland)";

// What keeps the game's window from opening, as far as the environment tells before Qt starts,
// or empty: Qt's Wayland plugin missing where QT_QPA_PLATFORM asks for Wayland only, or no
// display (DISPLAY for X11, WAYLAND_DISPLAY for Wayland; platforms without a display server, such
// as offscreen, minimal or framebuffers, always have one).
std::string_view WindowProblem();

// Until the returned guard goes, a fatal error of Qt (its platform did not start, say, because
// the display does not answer or Qt lacks its Wayland plugin) prints kNoWaylandPluginText or
// kNoDisplayText and ends the process with status 1.
class FatalPlatformGuard {
  public:
    FatalPlatformGuard();
    ~FatalPlatformGuard();
    FatalPlatformGuard(const FatalPlatformGuard&) = delete;
    FatalPlatformGuard& operator=(const FatalPlatformGuard&) = delete;
};

}  // namespace ZapModule
