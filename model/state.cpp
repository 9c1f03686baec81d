// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/state.h"

namespace ZapModule {

HallTable DefaultHallTable() {
    HallTable table;
    for (size_t i = 0; i < table.size(); ++i) table[i].Score = static_cast<int32_t>(1000 - 100 * i);
    return table;
}

}  // namespace ZapModule
