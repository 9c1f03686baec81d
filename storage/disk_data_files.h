// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The data files on disk. Reads are refused beyond a size limit instead of allocating whatever a
// file claims, and never wait on a FIFO or a device; every write goes to a temporary file in the
// same folder, is flushed to the disk and renamed over the old file, so a crash or a full disk
// leaves either the old or the new file, never a mixture or nothing. A data file that is a
// symbolic link is written through to the file it points to, as editors do, so the link stays.

#include <cstddef>
#include <functional>
#include <string>

#include "game/contract/data_limits.h"
#include "storage/data_files.h"

namespace ZapModule {

// A file's bytes; nothing when it is missing, not a regular file, unreadable or over `maxSize`.
std::optional<std::vector<uint8_t>> ReadWholeFile(const std::string& path,
                                                  size_t maxSize = kMaxKeptFileBytes);

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

// Temporary files of replacements that were killed half-way lie in the folder as
// ".NAME.XXXXXX"; those of the data files (NAME ends in .ko, or is a kept copy of one) older than
// a minute are removed. Returns how many were.
int RemoveStaleTemporaryFiles(const std::string& folder);
// The same for the temporary files of the one file at `path`, whatever its name.
int RemoveStaleTemporaryFilesOf(const std::string& path);

// A failed write's errno as the player is told it ("disk je plný").
std::string WriteErrorText(int error);
// A file that could not be written for `problem`, as the tools say it after its path:
// "soubor nelze zapsat (disk je plný)".
std::string CannotWriteText(const std::string& problem);

// Why a folder cannot be read (the errno of listing it or of taking an entry's kind), in the
// words of WriteErrorText but for a missing permission, which here is one to read.
std::string FolderReadErrorText(int error);

// Makes the folder and any missing parents (owner-only, as the user's data folders are made);
// true when it is there as a folder now.
bool MakeFolders(const std::string& path);

// The folder need not exist: it is made, with its parents, by the first write.
class DiskDataFiles : public DataFiles {
  public:
    explicit DiskDataFiles(std::string folder) : folder_(std::move(folder)) {}

    std::optional<std::vector<uint8_t>> Read(const std::string& name) override;
    std::string ReadProblem(const std::string& name) override;
    bool Write(const std::string& name, const std::vector<uint8_t>& bytes) override;
    bool Exists(const std::string& name) override;
    bool Copy(const std::string& name, const std::string& copyName) override;
    std::string CopyProblem(const std::string& name) override;
    std::string Where(const std::string& name) const override { return PathOf(name); }
    std::string LastWriteProblem() const override { return lastProblem_; }

    std::string PathOf(const std::string& name) const { return folder_ + "/" + name; }

    // Makes a step of every later write or copy fail; empty for none.
    ReplaceFault Fault;

  private:
    // Runs before the first write or copy: the folder is being opened for writing.
    void PrepareForWriting();
    // Why the original of a copy cannot be copied (`error`): one that could not even be
    // `opened` is one that cannot be read, and is said so.
    std::string SourceProblem(const std::string& name, bool opened, int error);

    std::string folder_;
    bool prepared_ = false;
    std::string lastProblem_;
};

}  // namespace ZapModule
