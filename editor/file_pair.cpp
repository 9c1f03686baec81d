// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/file_pair.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>

#include "platform/file_descriptor.h"
#include "platform/file_reading.h"

namespace ZapModule {

namespace fs = std::filesystem;

namespace {

// The record holds the two temporary files' paths, each ended by a NUL byte (a path holds any
// other byte), so it is never larger than this.
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
    std::string record;
    const auto dropPrepared = [&](size_t count) {
        for (size_t i = 0; i < count; ++i) ::unlink(prepared[i].Temp.c_str());
    };
    for (size_t i = 0; i < 2; ++i) {
        std::error_code ignored;
        // Absolute, so the record names the same files from whatever folder the pair is opened.
        const std::string absolute = fs::absolute(paths[i], ignored).string();
        result.Error = PrepareReplacement(absolute, bytes[i], fault, &prepared[i]);
        if (result.Error != 0) {
            result.FailedPath = paths[i];
            dropPrepared(i);
            return result;
        }
        record += prepared[i].Temp;
        record += '\0';
    }
    const std::string recordPath = RecordPath(paths[0]);
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
        std::vector<fs::path> temps;
        std::string path;
        for (uint8_t byte : read.Bytes) {
            if (byte != 0) {
                path += static_cast<char>(byte);
                continue;
            }
            temps.emplace_back(path);
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

}  // namespace ZapModule
