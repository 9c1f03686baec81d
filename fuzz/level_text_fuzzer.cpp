// SPDX-License-Identifier: GPL-3.0-or-later
// The level text compiler: any text either fails with errors that name lines, or gives a level
// file the game accepts, whose decompiled text compiles to the same bytes.

#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "storage/level_file.h"
#include "storage/level_text.h"

using namespace ZapModule;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const CompiledLevels compiled =
        CompileLevelText(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!compiled.Errors.empty()) {
        if (!compiled.Bytes.empty()) std::abort();
        return 0;
    }
    if (!CheckLevelFile(compiled.Bytes).empty()) std::abort();
    const CompiledLevels again = CompileLevelText(DecompileLevels(compiled.Bytes));
    if (!again.Errors.empty() || again.Bytes != compiled.Bytes) std::abort();
    return 0;
}
