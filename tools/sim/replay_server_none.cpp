// SPDX-License-Identifier: GPL-3.0-or-later
// zapwall-sim --serve where there are no processes to fork (zapwall-sim.js under node): refused.

#include <iostream>

#include "tools/sim/replay_server.h"

namespace ZapModule {

int ServeReplays(int, const ServeLimits&, const ReplayServerCalls&) {
    std::cerr << "zapwall-sim: --serve needs processes of its own, which this build has not\n";
    return 1;
}

}  // namespace ZapModule
