// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The application icon: a ball flying from an upright bat towards a column of bricks, on a dark
// rounded tile. Drawn for the desktop's icon sizes and for the program's windows.

#include <QImage>

namespace ZapAssets {

// The icon at `size` x `size` pixels, ARGB32 with transparent corners.
QImage AppIcon(int size);
// The icon filling its whole square, with no transparency, its picture inside the middle: for
// launchers that cut an icon to a shape of their own (a web app's maskable icon, a phone's home
// screen icon).
QImage TileIcon(int size);

}  // namespace ZapAssets
