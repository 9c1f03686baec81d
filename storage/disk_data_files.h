#pragma once
// The data files on disk. Reads are refused beyond a size limit instead of allocating whatever a
// file claims; every write goes to a temporary file in the same folder, is flushed to the disk
// and renamed over the old file, so a crash or a full disk leaves either the old or the new file,
// never a mixture or nothing.

#include <cstddef>
#include <functional>
#include <string>

#include "storage/data_files.h"

namespace ZapModule {

// Far more than any data file of the game holds (the largest possible roster is under 2 MiB).
constexpr size_t kMaxDataFileSize = 16u << 20;

// A file's bytes; nothing when it is missing, not a regular file, unreadable or over `maxSize`.
std::optional<std::vector<uint8_t>> ReadWholeFile(const std::string& path,
                                                  size_t maxSize = kMaxDataFileSize);

// The steps of a replacement, so that tests can make one of them fail as a full disk or a crash
// would (the fault function returns true for the step that fails).
enum class ReplaceStep { Create, Write, Sync, Rename };
using ReplaceFault = std::function<bool(ReplaceStep)>;

// Replaces the file at `path` with `bytes` through a temporary file and a rename; on any failure
// the temporary file is removed, the old file is untouched and the result is false.
bool ReplaceFile(const std::string& path, const std::vector<uint8_t>& bytes,
                 const ReplaceFault& fault = {});

// Makes the folder and any missing parents (owner-only, as the user's data folders are made);
// true when it is there as a folder now.
bool MakeFolders(const std::string& path);

// The folder need not exist: it is made, with its parents, by the first write.
class DiskDataFiles : public DataFiles {
  public:
    explicit DiskDataFiles(std::string folder) : folder_(std::move(folder)) {}

    std::optional<std::vector<uint8_t>> Read(const std::string& name) override;
    bool Write(const std::string& name, const std::vector<uint8_t>& bytes) override;
    bool Exists(const std::string& name) override;
    bool Copy(const std::string& name, const std::string& copyName) override;

    std::string PathOf(const std::string& name) const { return folder_ + "/" + name; }

    // Makes a step of every later write or copy fail; empty for none.
    ReplaceFault Fault;

  private:
    std::string folder_;
};

}  // namespace ZapModule
