// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/file_pair.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>

#include "platform/file_descriptor.h"
#include "platform/file_reading.h"
#include "storage/file_problems.h"

namespace ZapModule {

namespace fs = std::filesystem;

namespace {

// The record holds the two temporary files' paths, each ended by a NUL byte (a path holds any
// other byte), so it is never larger than this. A path is relative to the record's folder (a
// record of an older save names absolute paths).
constexpr size_t kMaxRecordBytes = 2 * 4096 + 2;
constexpr size_t kTempSuffixLength = 7;  // ".XXXXXX"

// The record of the pair's replacement: ".NAME.pair" beside the first file.
std::string RecordPath(const std::string& first) {
    const fs::path path(first);
    return (path.parent_path() / ("." + path.filename().string() + ".pair")).string();
}

// What `temp` (".NAME.XXXXXX") replaces: NAME in the same folder.
fs::path TargetOfTemporary(const fs::path& temp) {
    const std::string name = temp.filename().string();
    if (name.size() < 2 + kTempSuffixLength || name[0] != '.') return {};
    return temp.parent_path() / name.substr(1, name.size() - 1 - kTempSuffixLength);
}

// How the record names `temp`: by its name when it lies beside the record (a file that is no link
// to elsewhere), so a renamed or moved folder keeps the record true; else by its absolute path,
// beside a link's target, which stays where the link leads whatever the folder is called.
std::string RecordedName(const std::string& temp, const std::string& recordPath) {
    std::error_code ignored;
    const fs::path folder = fs::absolute(recordPath, ignored).parent_path().lexically_normal();
    const fs::path path = fs::path(temp).lexically_normal();
    return path.parent_path() == folder ? path.filename().string() : temp;
}

bool SameFile(const fs::path& a, const fs::path& b) {
    std::error_code error;
    const fs::path left = fs::weakly_canonical(a, error);
    if (error) return false;
    return left == fs::weakly_canonical(b, error) && !error;
}

void SyncFolderOf(const fs::path& path) {
    const FileDescriptor dir(
        ::open(path.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.Get() >= 0) ::fsync(dir.Get());
}

}  // namespace

FilePairReplacement ReplaceFilePair(const std::array<std::string, 2>& paths,
                                    const std::array<std::vector<uint8_t>, 2>& bytes,
                                    const ReplaceFault& fault) {
    FilePairReplacement result;
    std::array<PreparedReplacement, 2> prepared;
    const auto dropPrepared = [&](size_t count) {
        for (size_t i = 0; i < count; ++i) ::unlink(prepared[i].Temp.c_str());
    };
    for (size_t i = 0; i < 2; ++i) {
        std::error_code ignored;
        // Absolute, so that a temporary file beside a link's target elsewhere is recorded by a
        // path that holds from whatever folder the pair is opened.
        const std::string absolute = fs::absolute(paths[i], ignored).string();
        result.Error = PrepareReplacement(absolute, bytes[i], fault, &prepared[i]);
        if (result.Error != 0) {
            result.FailedPath = paths[i];
            dropPrepared(i);
            return result;
        }
    }
    const std::string recordPath = RecordPath(paths[0]);
    std::string record;
    for (const PreparedReplacement& file : prepared) {
        record += RecordedName(file.Temp, recordPath);
        record += '\0';
    }
    if (!ReplaceFile(recordPath, {record.begin(), record.end()}, fault, &result.Error)) {
        result.FailedPath = paths[0];
        dropPrepared(2);
        return result;
    }
    result.Decided = true;
    for (size_t i = 0; i < 2; ++i) {
        if (const int error = FinishReplacement(prepared[i], fault); error != 0) {
            // The record stays, naming what is still to be taken into place at the next opening.
            result.Error = error;
            result.FailedPath = paths[i];
            return result;
        }
    }
    ::unlink(recordPath.c_str());
    return result;
}

std::string FinishInterruptedReplacement(const std::array<std::string, 2>& paths) {
    const std::string recordPath = RecordPath(paths[0]);
    const FileRead read = ReadRegularFile(recordPath, kMaxRecordBytes);
    if (read.Ok()) {
        const fs::path folder = fs::path(recordPath).parent_path();
        std::vector<fs::path> temps;
        std::string path;
        for (uint8_t byte : read.Bytes) {
            if (byte != 0) {
                path += static_cast<char>(byte);
                continue;
            }
            temps.push_back(folder / path);
            path.clear();
        }
        // A record stands only once both files are written; one naming anything but the pair's
        // own temporary files is not ours, and moves nothing.
        const bool ours = temps.size() == 2 && SameFile(TargetOfTemporary(temps[0]), paths[0]) &&
                          SameFile(TargetOfTemporary(temps[1]), paths[1]);
        for (size_t i = 0; ours && i < 2; ++i) {
            struct stat info {};
            if (::lstat(temps[i].c_str(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
            if (std::rename(temps[i].c_str(), TargetOfTemporary(temps[i]).c_str()) != 0)
                return fs::path(paths[i]).filename().string() +
                       ": nedokončené uložení nelze dokončit (" + WriteErrorText(errno) + ")";
            SyncFolderOf(temps[i]);
        }
        ::unlink(recordPath.c_str());
    }
    // Temporary files lie beside the files that links lead to.
    for (const std::string& file : {paths[0], paths[1], recordPath}) {
        std::error_code error;
        const fs::path target = fs::weakly_canonical(file, error);
        RemoveStaleTemporaryFilesOf(error ? file : target.string());
    }
    return {};
}

FilePairLock::FilePairLock(const std::array<std::string, 2>& paths)
    : folder_(::open(FolderOf(RecordPath(paths[0])).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    busy_ = folder_ >= 0 && ::flock(folder_, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
}

FilePairLock::~FilePairLock() {
    if (folder_ >= 0) ::close(folder_);  // which releases the lock
}

}  // namespace ZapModule
