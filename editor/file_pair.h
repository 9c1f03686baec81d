// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Two files that change together, as a level set's text and its levels.ko: after a crash or a
// full disk at any point of a replacement, both are old or both are new once the pair is next
// opened. Both new files are written and flushed as temporary files first; then a record naming
// them is put in place with a single rename, which decides the replacement; only then are the two
// renamed over the old files, and the record goes. A replacement killed after its record stood
// is finished at the next opening (FinishInterruptedReplacement); one killed before leaves only
// temporary files, which are removed once stale. The record names the temporary files beside it
// by their names alone, so it holds when the folder is renamed or moved.

#include <array>
#include <string>
#include <vector>

#include "storage/disk_data_files.h"

namespace ZapModule {

struct FilePairReplacement {
    // 0 when both files were replaced; otherwise the errno of the step that failed ...
    int Error = 0;
    std::string FailedPath;  // ... and the file it failed on
    // Whether the failure came after the replacement was decided: the new files are then taken
    // into place at the next FinishInterruptedReplacement; before it, both files are untouched.
    bool Decided = false;
};

// Replaces `paths[i]` with `bytes[i]`, for both at once. `fault` is called for the steps of each
// file and of the record, in order, so tests can fail or kill any of them.
FilePairReplacement ReplaceFilePair(const std::array<std::string, 2>& paths,
                                    const std::array<std::vector<uint8_t>, 2>& bytes,
                                    const ReplaceFault& fault = {});

// Finishes a replacement of the pair that was decided but not finished, then removes the pair's
// stale temporary files. Empty when the pair is whole; otherwise the reason, in Czech.
std::string FinishInterruptedReplacement(const std::array<std::string, 2>& paths);

// Held by whoever replaces or finishes the pair, for the whole of it, so that two programs saving
// one pair at once never mix their files: an advisory lock (flock) on the pair's folder, which
// leaves no file of its own there and goes with the process that held it, killed or not. It is
// taken without waiting: a second save finds it busy and writes nothing.
class FilePairLock {
  public:
    explicit FilePairLock(const std::array<std::string, 2>& paths);
    FilePairLock(const FilePairLock&) = delete;
    FilePairLock& operator=(const FilePairLock&) = delete;
    ~FilePairLock();
    // Whether another program holds the pair's lock now. A folder that cannot be opened or a
    // file system without locks is never busy: a save there goes on unguarded.
    bool Busy() const { return busy_; }

  private:
    int folder_ = -1;
    bool busy_ = false;
};

}  // namespace ZapModule
