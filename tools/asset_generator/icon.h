// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The application icon: a ball flying from an upright bat towards a column of bricks, on a dark
// rounded tile. Drawn for the desktop's icon sizes and for the program's windows.

#include <QImage>

namespace ZapAssets {

// The icon at `size` x `size` pixels, ARGB32 with transparent corners.
QImage AppIcon(int size);

}  // namespace ZapAssets
