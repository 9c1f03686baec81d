// SPDX-License-Identifier: GPL-3.0-or-later
// same_pixels A.png B.png: exit status 0 when the two pictures have the same size and pixels
// (read by the desktop's picture loader), 1 with the first difference on stderr otherwise. The
// desktop's zapwall-sim writes its frames with Qt, the node one with its own PNG writer, so their
// files differ in bytes where their pictures agree.

#include <cstdio>
#include <optional>
#include <string>

#include "pictures/picture_loader.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: same_pixels A.png B.png\n");
        return 2;
    }
    std::optional<Surface> pictures[2];
    for (int i = 0; i < 2; ++i) {
        std::string problem;
        pictures[i] = ZapModule::LoadPicture(argv[i + 1], &problem);
        if (!pictures[i]) {
            std::fprintf(stderr, "same_pixels: %s: %s\n", argv[i + 1], problem.c_str());
            return 2;
        }
    }
    const Surface& a = *pictures[0];
    const Surface& b = *pictures[1];
    if (a.Width() != b.Width() || a.Height() != b.Height()) {
        std::fprintf(stderr, "same_pixels: %dx%d against %dx%d\n", a.Width(), a.Height(), b.Width(),
                     b.Height());
        return 1;
    }
    for (int32_t y = 0; y < a.Height(); ++y)
        for (int32_t x = 0; x < a.Width(); ++x)
            if (a.Pixel(x, y) != b.Pixel(x, y)) {
                std::fprintf(stderr, "same_pixels: pixel %d,%d: %08x against %08x\n", x, y,
                             a.Pixel(x, y), b.Pixel(x, y));
                return 1;
            }
    return 0;
}
