// SPDX-License-Identifier: GPL-3.0-or-later
// levels.ko: the check never fails on any bytes; a file it accepts is read level after level
// exactly as the game reads it (skip to a level, then on through the reopenings) without reading
// past its end, and decompiles to text that compiles back to the same bytes. Bytes it refuses
// are read anyway, as an unchecked reader would, and must not crash either.

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "model/state.h"
#include "storage/level_file.h"
#include "storage/level_text.h"

using namespace ZapModule;

namespace {

void Play(const std::vector<uint8_t>& bytes, int16_t level, int levels) {
    GameState s;
    OpenLevelFile(s, bytes);
    s.Level = level;
    SkipToLevel(s);
    s.LevelsRead = s.LevelCount > 0 ? static_cast<int16_t>(level % s.LevelCount) : int16_t{0};
    for (int next = 0; next < levels; ++next) {
        LoadLevel(s);
        if (s.Levels.Position > s.Levels.Bytes.size()) std::abort();
        if (s.Bricks.size() != s.BrickRects.size()) std::abort();
        s.LevelsRead = static_cast<int16_t>(s.LevelsRead + 1);
        if (s.LevelsRead == s.LevelCount) {
            s.LevelsRead = 0;
            ReopenLevelFile(s);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> bytes(data, data + size);
    const bool good = CheckLevelFile(bytes).empty();
    const int16_t level = size > 0 ? static_cast<int16_t>(data[size - 1] % 50) : 0;
    Play(bytes, level, good ? 8 : 2);
    if (good) {
        // Every level of a checked file has bricks.
        GameState s;
        OpenLevelFile(s, bytes);
        for (int16_t l = 0; l < s.LevelCount && l < 64; ++l) {
            LoadLevel(s);
            if (s.Bricks.empty()) std::abort();
        }
        const CompiledLevels again = CompileLevelText(DecompileLevels(bytes));
        if (!again.Errors.empty() || again.Bytes != bytes) std::abort();
    }
    return 0;
}
