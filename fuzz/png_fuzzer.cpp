// SPDX-License-Identifier: GPL-3.0-or-later
// The pictures in the browser edition: any bytes either decode to an opaque picture within the
// picture size rule, with no reason given, or are refused with one; a decoded picture encodes
// to bytes that decode to the same picture.

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <span>
#include <string>

#include "graphics/png_codec.h"

using namespace ZapModule;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string problem;
    const std::optional<Surface> picture = DecodePng(std::span(data, size), &problem);
    if (!picture) {
        if (problem.empty()) std::abort();
        return 0;
    }
    if (!problem.empty() || picture->Empty()) std::abort();
    for (int32_t y = 0; y < picture->Height(); ++y)
        for (int32_t x = 0; x < picture->Width(); ++x)
            if ((picture->Row(y)[x] & kOpaqueBlack) != kOpaqueBlack) std::abort();
    if (DecodePng(EncodePng(*picture)) != picture) std::abort();
    return 0;
}
