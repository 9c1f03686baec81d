// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Qt's Wayland plugin loads its OpenGL buffer integration, and with it EGL and Mesa's driver
// (about 50 MiB more at the peak), when the first window asks whether Qt may draw its title bar,
// although every window of the game is painted by the CPU into shared memory. Where the
// compositor draws the title bars itself (it offers xdg-decoration), Qt's own would not be used:
// there the program tells Qt not to offer them, and nothing of OpenGL is loaded. Elsewhere (weston,
// GNOME) Qt draws the title bar, which in Qt 6.4 needs that integration.

namespace ZapModule {

// Called before the QApplication is made: sets QT_WAYLAND_DISABLE_WINDOWDECORATION when the
// window may open on Wayland, the compositor draws title bars and the player has not set the
// variable. Does nothing otherwise.
void LeaveTitleBarsToTheCompositor();

// Whether the compositor at WAYLAND_DISPLAY offers to draw the windows' title bars; false when
// there is none or it cannot be reached.
bool CompositorDrawsTitleBars();

}  // namespace ZapModule
