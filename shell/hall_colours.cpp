// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/hall_colours.h"

#include <algorithm>

namespace ZapModule {

void HallColourCycle::Step() {
    std::rotate(colours_.begin(), colours_.begin() + 1, colours_.end());
}

}  // namespace ZapModule
