// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Files on disk written safely. Every write goes to a temporary file in the same folder, is
// flushed to the disk and renamed over the old file, so a crash or a full disk leaves either the
// old or the new file, never a mixture or nothing. A file that is a symbolic link is written
// through to the file it points to, as editors do, so the link stays. Reads are refused beyond a
// size limit instead of allocating whatever a file claims, and never wait on a FIFO or a device.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ZapModule {

// A file's bytes; nothing when it is missing, not a regular file, unreadable or over `maxSize`.
std::optional<std::vector<uint8_t>> ReadWholeFile(const std::string& path, size_t maxSize);

// The steps of a replacement, so that tests can make one of them fail as a full disk or a crash
// would (the fault function returns true for the step that fails).
enum class ReplaceStep { Create, Write, Sync, Rename };
using ReplaceFault = std::function<bool(ReplaceStep)>;

// Replaces the file at `path` with `bytes` through a temporary file and a rename; on any failure
// the temporary file is removed, the old file is untouched and the result is false, with the
// errno in *error when given.
bool ReplaceFile(const std::string& path, const std::vector<uint8_t>& bytes,
                 const ReplaceFault& fault = {}, int* error = nullptr);

// A replacement in two parts, for files that must change together: each file's temporary file
// is written and flushed first (the Create, Write and Sync steps), and put in place later (the
// Rename step). `Target` is the file the rename replaces (the end of a chain of links).
struct PreparedReplacement {
    std::string Temp, Target;
};
// 0 or the errno; on failure no temporary file is left.
int PrepareReplacement(const std::string& path, const std::vector<uint8_t>& bytes,
                       const ReplaceFault& fault, PreparedReplacement* prepared);
// Renames the prepared file over its target; 0 or the errno (the temporary file then stays).
int FinishReplacement(const PreparedReplacement& prepared, const ReplaceFault& fault = {});

// Whether the file at `path` can be copied: 0, or the errno that says why not (EINVAL: it is no
// regular file, EFBIG: it is larger than `maxSize`). `opened` tells whether it could be opened at
// all.
int CopySourceError(const std::string& path, size_t maxSize, bool* opened);
// The result of CopyToNewFile: `Error` is 0 or the errno; `SourceError` tells that it is
// CopySourceError's (and `Opened` whether the file could be opened), not the writing's.
struct CopyOutcome {
    int Error = 0;
    bool SourceError = false;
    bool Opened = true;
};
// Copies the file at `path` to `copyPath`, where no file may be yet, through a temporary file.
// One larger than `maxSize` is kept under the new name as a second name of its own (a hard link):
// it costs no space and no time, and the save that follows replaces the name, not the file.
CopyOutcome CopyToNewFile(const std::string& path, const std::string& copyPath, size_t maxSize,
                          const ReplaceFault& fault);

// Whether `name` has the shape of a replacement's temporary file, ".FILE.XXXXXX"; FILE in *file.
bool IsTemporaryName(const std::string& name, std::string* file);
// Temporary files of replacements that were killed half-way lie in the folder as
// ".FILE.XXXXXX"; those in `folder` older than a minute whose names `ours` accepts are removed.
// Returns how many were.
int RemoveStaleTemporaries(const std::string& folder,
                           const std::function<bool(const std::string&)>& ours);
// The same for the temporary files of the one file at `path`, whatever its name.
int RemoveStaleTemporaryFilesOf(const std::string& path);

// Renames the entry at `path` to the first free name of PATH.damaged, PATH.damaged.1, … (one set
// aside earlier is never replaced); the new path, or nothing with errno set when it could not be
// renamed.
std::optional<std::string> SetAsideAsDamaged(const std::string& path);

// Whether anything (a file, a folder, even a dangling link) has the name `path`.
bool EntryExists(const std::string& path);
// When the regular file at `path` (not a link's target) was last written, in nanoseconds since
// the epoch; nothing for anything else.
std::optional<int64_t> RegularFileWritten(const std::string& path);

// The folder of `path`: what comes before its last slash, "." when it has none, "/" for a name
// in the root.
std::string FolderOf(const std::string& path);

// Makes the folder and any missing parents (owner-only, as the user's data folders are made);
// true when it is there as a folder now.
bool MakeFolders(const std::string& path);

}  // namespace ZapModule
