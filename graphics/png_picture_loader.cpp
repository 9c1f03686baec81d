// SPDX-License-Identifier: GPL-3.0-or-later
// The picture loader where there is no Qt (the browser edition): the game's pictures are PNG
// files, read and written by png_codec.

#include <cstdint>
#include <fstream>
#include <vector>

#include "graphics/picture_loader.h"
#include "graphics/png_codec.h"

namespace ZapModule {

std::optional<Surface> LoadPicture(const std::string& path, std::string* problem) {
    return ReadPngFile(path, problem);
}

bool SavePicturePng(const Surface& surface, const std::string& path) {
    // Written in place, as Qt's writer does on the desktop.
    const std::vector<uint8_t> png = EncodePng(surface);
    if (png.empty()) return false;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    out.close();
    return !out.fail();
}

}  // namespace ZapModule
