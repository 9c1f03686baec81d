#pragma once
// Qt ends a program that finds no screen with an abort and a page of text. The game looks first
// and says it in one line instead.

#include <string_view>

namespace ZapModule {

inline constexpr std::string_view kNoDisplayText =
    "zapwall: není k dispozici displej, okno hry nelze otevřít / no display to open the game's "
    "window on (DISPLAY, WAYLAND_DISPLAY)";

// Whether the window system Qt will use can be reached as far as the environment tells:
// DISPLAY for X11, WAYLAND_DISPLAY for Wayland; platforms without a display server (offscreen,
// minimal, framebuffers) always can.
bool DisplayAvailable();

// Until the returned guard goes, a fatal error of Qt (its platform did not start, say, because
// the display does not answer) prints kNoDisplayText and ends the process with status 1.
class FatalPlatformGuard {
  public:
    FatalPlatformGuard();
    ~FatalPlatformGuard();
    FatalPlatformGuard(const FatalPlatformGuard&) = delete;
    FatalPlatformGuard& operator=(const FatalPlatformGuard&) = delete;
};

}  // namespace ZapModule
