// SPDX-License-Identifier: GPL-3.0-or-later
// The program's place under node (zapwall-sim.js) and in a page: the program is its .js file.
#include <emscripten.h>

#include "platform/program_place.h"

namespace ZapModule {

std::string ProgramFolder() {
    // Under node the program is its .js file, whose path node keeps; a page has no folder.
    std::string folder(4096, '\0');
    folder.resize(EM_ASM_INT(
        {
            if (typeof process != 'object' || typeof require != 'function') return 0;
            const path = require('path').dirname(require('fs').realpathSync(process.argv[1]));
            return stringToUTF8(path, $0, $1);
        },
        folder.data(), folder.size()));
    return folder.empty() ? "." : folder;
}

bool ProgramIsInstallable() {
    return false;
}

std::string AccountHome() {
    return {};
}

}  // namespace ZapModule
