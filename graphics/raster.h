// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The rectangle copies the game draws with, between surfaces, with its three raster operations.
// Every copy is clipped against both surfaces: no copy reads or writes outside their pixels,
// whatever the coordinates. A copy records on the destination what it drew (Surface::Ink).

#include <cstdint>

#include "values/surface.h"

enum RasterOp : uint32_t {
    SRCCOPY = 0x00CC0020,   // destination = source
    SRCAND = 0x008800C6,    // destination = destination AND source
    SRCPAINT = 0x00EE0086,  // destination = destination OR source
};

// Copies the width x height block at (sx, sy) of src to (x, y) of dst with the raster operation.
void BitBlt(Surface& dst, int32_t x, int32_t y, int32_t width, int32_t height, const Surface& src,
            int32_t sx, int32_t sy, RasterOp op);

// Copies the block (sx, sy, sw, sh) of src onto the destination rectangle that starts at (x, y)
// and spans width x height. A negative height mirrors the picture upside down and makes the
// destination extend upward from y (rows y + height to y - 1; source row 0 lands on row y - 1);
// likewise a negative width. The game only mirrors at the same size; other sizes are scaled by
// nearest pixel.
void StretchBlt(Surface& dst, int32_t x, int32_t y, int32_t width, int32_t height,
                const Surface& src, int32_t sx, int32_t sy, int32_t sw, int32_t sh, RasterOp op);
