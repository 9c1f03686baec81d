// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Opening and saving a level set: the level text (for people and diffs) and the compiled
// levels.ko beside it, the latter made by the same compiler as `zapwall-data levels compile`.

#include <string>
#include <vector>

#include "editor/level_set.h"
#include "storage/disk_data_files.h"

namespace ZapModule {

// The set's two files as they stand on disk (which exist, their identity, size and time), to
// notice that another program, a second editor say, saved over them since they were read: equal
// while neither was replaced or written.
using FilesOnDisk = std::vector<int64_t>;

struct OpenedLevelSet {
    LevelSet Set;
    // The text the set was read from, or the decompiled text of a levels.ko: what saving the set
    // unchanged writes again, comments and all.
    std::string Text;
    std::vector<std::string>
        Problems;        // why the file cannot be opened, in Czech; empty when it can
    FilesOnDisk OnDisk;  // the set's files as they were before they were read
};

// A path ending in ".ko" is read as a level file, any other as level text. A save of the set
// that a crash interrupted is finished first.
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

// Compiles `text` and writes both files together: after a failure or a crash at any point both
// are old or, once the set is next opened, both new. Empty when both were written; otherwise the
// reason in Czech, saying whether the set stayed as it was (a text that does not compile to
// `expected` writes nothing). Another program saving the set at the same moment, or since the
// files were as `*onDisk` (when given) says, makes it write nothing; once saved or decided,
// `*onDisk` is what it left. `fault` makes a step fail, for tests.
std::string SaveLevelSet(const SavePaths& paths, const std::string& text,
                         const std::vector<uint8_t>& expected, FilesOnDisk* onDisk = nullptr,
                         const ReplaceFault& fault = {});

FilesOnDisk LookAtFiles(const SavePaths& paths);

}  // namespace ZapModule
