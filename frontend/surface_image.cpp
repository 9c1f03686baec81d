// SPDX-License-Identifier: GPL-3.0-or-later
#include "frontend/surface_image.h"

namespace ZapModule {

QImage ImageOf(const Surface& surface) {
    if (surface.Empty()) return {};
    // The surface's pixels are 0xFFRRGGBB, the layout of Format_RGB32.
    return QImage(reinterpret_cast<const uchar*>(surface.Bits()), surface.Width(), surface.Height(),
                  surface.Width() * 4, QImage::Format_RGB32);
}

}  // namespace ZapModule
