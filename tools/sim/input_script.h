// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The input script of zapwall-sim: one event a line, "S keydown CODE", "S keyup CODE" or
// "S click X Y", where S is the loop iteration (counted from 0) that delivers it. Blank lines and
// lines starting with '#' are ignored.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "storage/replay_file.h"

namespace ZapModule {

struct InputScript {
    // Events in file order; only their kind, code or point is used.
    std::map<int64_t, std::vector<ReplayEvent>> ByIteration;
    std::string Error;  // "line N: ..." for the first line that cannot be read
};

InputScript ParseInputScript(const std::string& text);

}  // namespace ZapModule
