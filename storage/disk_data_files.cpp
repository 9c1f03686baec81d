// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/disk_data_files.h"

#include <cerrno>

#include "platform/file_reading.h"
#include "storage/file_problems.h"
#include "storage/replay_file.h"
#include "values/data_limits.h"

namespace ZapModule {

namespace {

// Whether `name` is a temporary file of a data file's replacement: ".players.ko.Ab3xYz".
bool IsOurTemporary(const std::string& name) {
    std::string file;
    if (!IsTemporaryName(name, &file)) return false;
    return file.ends_with(".ko") || file.find(".ko.damaged") != std::string::npos ||
           file.ends_with(kReplayExtension);
}

}  // namespace

int RemoveStaleTemporaryFiles(const std::string& folder) {
    return RemoveStaleTemporaries(folder, IsOurTemporary);
}

std::optional<std::vector<uint8_t>> DiskDataFiles::Read(const std::string& name) {
    return ReadWholeFile(PathOf(name), kMaxKeptFileBytes);
}

std::string DiskDataFiles::ReadProblem(const std::string& name) {
    const FileRead read = ReadRegularFile(PathOf(name), kMaxKeptFileBytes);
    // The message says already that the file cannot be read: only the reason follows.
    return read.Failure == ReadFailure::Failed ? ReadErrorText(read.Error)
                                               : DescribeReadFailure(read);
}

void DiskDataFiles::PrepareForWriting() {
    if (prepared_) return;
    prepared_ = true;
    RemoveStaleTemporaryFiles(folder_);
}

bool DiskDataFiles::Write(const std::string& name, const std::vector<uint8_t>& bytes) {
    // The folder (and a subfolder the name may give) is made on the first write, not before.
    const std::string path = PathOf(name);
    if (!MakeFolders(FolderOf(path))) {
        lastProblem_ = WriteErrorText(errno);
        return false;
    }
    PrepareForWriting();
    int error = 0;
    const bool written = ReplaceFile(path, bytes, Fault, &error);
    lastProblem_ = WriteErrorText(error);
    return written;
}

bool DiskDataFiles::Exists(const std::string& name) {
    return EntryExists(PathOf(name));
}

std::string DiskDataFiles::SourceProblem(const std::string& name, bool opened, int error) {
    return opened ? WriteErrorText(error) : ReadProblem(name);
}

std::string DiskDataFiles::CopyProblem(const std::string& name) {
    bool opened = false;
    const int error = CopySourceError(PathOf(name), kMaxKeptFileBytes, &opened);
    return error == EFBIG || error == 0 ? std::string() : SourceProblem(name, opened, error);
}

bool DiskDataFiles::Copy(const std::string& name, const std::string& copyName) {
    PrepareForWriting();
    const CopyOutcome copied =
        CopyToNewFile(PathOf(name), PathOf(copyName), kMaxKeptFileBytes, Fault);
    lastProblem_ = copied.SourceError ? SourceProblem(name, copied.Opened, copied.Error)
                                      : WriteErrorText(copied.Error);
    return copied.Error == 0;
}

}  // namespace ZapModule
