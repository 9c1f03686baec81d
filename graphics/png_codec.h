// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// PNG files in plain C++, for where there is no Qt (the browser edition): a reader of the PNG
// files the game's pictures are (8-bit RGB, not interlaced, any row filter, zlib-compressed data
// in one or more IDAT chunks) and a writer of the same kind (its data in stored deflate blocks).
// Anything else is refused with the reason in Czech; no input, however damaged, is read past its
// end or makes the reader allocate more than the picture size rule allows.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "values/surface.h"

namespace ZapModule {

// The picture in `png` as a surface of opaque pixels, or nothing, with the reason in *problem.
// Its size is checked against the picture size rule before any pixel is decoded.
std::optional<Surface> DecodePng(std::span<const uint8_t> png, std::string* problem = nullptr);

// The PNG file at `path` as DecodePng gives it; a file that cannot be read (or is larger than a
// picture may be) is refused with the reason in *problem.
std::optional<Surface> ReadPngFile(const std::string& path, std::string* problem = nullptr);

// The surface as a PNG file's bytes (the pixels' top byte is not written); empty for an empty
// surface.
std::vector<uint8_t> EncodePng(const Surface& surface);

}  // namespace ZapModule
