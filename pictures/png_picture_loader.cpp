// SPDX-License-Identifier: GPL-3.0-or-later
// The picture loader where there is no Qt (the browser edition): the game's pictures are PNG
// files, read and written by png_codec.

#include <cstdint>
#include <vector>

#include "graphics/png_codec.h"
#include "pictures/picture_loader.h"
#include "platform/disk_files.h"

namespace ZapModule {

std::optional<Surface> LoadPicture(const std::string& path, std::string* problem) {
    return ReadPngFile(path, problem);
}

bool SavePicturePng(const Surface& surface, const std::string& path) {
    // A failed write leaves the old picture whole.
    const std::vector<uint8_t> png = EncodePng(surface);
    return !png.empty() && ReplaceFile(path, png);
}

}  // namespace ZapModule
