// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The data files on disk, read and written through the platform's safe file operations
// (platform/disk_files.h): a read is refused beyond a size limit and never waits on a FIFO or a
// device, a write replaces the file whole through a temporary file and a rename.

#include <string>

#include "platform/disk_files.h"
#include "storage/data_files.h"

namespace ZapModule {

// Removes the temporary files of the data files' replacements (".NAME.XXXXXX", NAME ending in
// .ko, a kept copy of one, or a replay) in `folder` that are older than a minute, left by saves
// that were killed half-way. Returns how many were.
int RemoveStaleTemporaryFiles(const std::string& folder);

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
