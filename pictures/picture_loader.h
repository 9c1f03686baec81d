// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Picture files and surfaces, through Qt on the desktop (picture_loader.cpp) and through the
// engine's PNG codec in the browser edition (png_picture_loader.cpp). The game's pictures carry
// no file extension, so they are recognised by their content. Needs no display and no
// application object.

#include <optional>
#include <string>

#include "values/surface.h"

namespace ZapModule {

// The picture at path as a surface of opaque pixels, or nothing when it cannot be used, with the
// reason in Czech in *problem. The file is read as every data file is (never waiting on a FIFO,
// within its size limit) and its size is checked against the picture size rule before it is
// decoded.
std::optional<Surface> LoadPicture(const std::string& path, std::string* problem = nullptr);

// Writes the surface as a PNG file (whatever the path's extension); false when it cannot.
bool SavePicturePng(const Surface& surface, const std::string& path);

}  // namespace ZapModule
