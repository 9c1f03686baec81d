// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An engine surface seen as a Qt picture, for the windows that draw one.

#include <QImage>

#include "values/surface.h"

namespace ZapModule {

// The surface's pixels as a QImage, without a copy: the picture is valid only while the surface
// lives and keeps its size (copy() it to keep it). An empty surface gives a null picture.
QImage ImageOf(const Surface& surface);

}  // namespace ZapModule
