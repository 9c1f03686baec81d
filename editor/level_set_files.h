#pragma once
// Opening and saving a level set: the level text (for people and diffs) and the compiled
// levels.ko beside it, the latter made by the same compiler as `zapwall-data levels compile`.

#include <string>
#include <vector>

#include "editor/level_set.h"

namespace ZapModule {

struct OpenedLevelSet {
    LevelSet Set;
    // The text the set was read from, or the decompiled text of a levels.ko: what saving the set
    // unchanged writes again, comments and all.
    std::string Text;
    std::vector<std::string>
        Problems;  // why the file cannot be opened, in Czech; empty when it can
};

// A path ending in ".ko" is read as a level file, any other as level text.
OpenedLevelSet OpenLevelSetFile(const std::string& path);

// The text to save for `set`: `openedText` while the set is still `openedSet`, so an unchanged
// set is written back byte for byte; otherwise the decompiled text of the set, with its titles.
std::string LevelSetText(const LevelSet& set, const LevelSet& openedSet,
                         const std::string& openedText);

// The two files a save writes: the text at `textPath` (".txt" in place of a ".ko" ending) and
// levels.ko-style bytes beside it, with ".ko" in place of its extension.
struct SavePaths {
    std::string Text, Compiled;
};
SavePaths SavePathsFor(const std::string& path);

// Compiles `text` and writes both files, each replaced whole or not at all. Empty when both were
// written; otherwise the reason in Czech (a text that does not compile to `expected` writes
// nothing).
std::string SaveLevelSet(const SavePaths& paths, const std::string& text,
                         const std::vector<uint8_t>& expected);

}  // namespace ZapModule
