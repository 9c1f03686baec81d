// SPDX-License-Identifier: GPL-3.0-or-later
// animations.ko: the check never fails on any bytes, and a table it accepts loads into at least
// two records whose sheets are among the thirteen sprites.

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "graphics/animations.h"
#include "graphics/sprites.h"
#include "model/state.h"

using namespace ZapModule;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> bytes(data, data + size);
    const bool good = CheckAnimationFile(bytes).empty();
    GameState s;
    LoadAnimations(s, bytes);
    if (!good) {
        if (!s.Animations.empty()) std::abort();
        return 0;
    }
    if (s.Animations.size() < 2) std::abort();
    for (const AnimationRecord& a : s.Animations) {
        if (a.Sprite < 0 || a.Sprite >= kSpriteCount) std::abort();
    }
    return 0;
}
