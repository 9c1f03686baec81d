// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/disk_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <random>

#include "platform/file_descriptor.h"
#include "platform/file_reading.h"

namespace ZapModule {

namespace {

// Symbolic links followed before a write gives up: as many as the system itself follows.
constexpr int kMaxLinks = 40;
// A temporary file untouched this long belongs to no save that is still running.
constexpr time_t kStaleSeconds = 60;
constexpr size_t kTempSuffixLength = 6;  // ".XXXXXX"

bool WriteAll(int fd, const uint8_t* data, size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

std::string FileNameOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file a write of `path` goes to: the path itself, or the end of its chain of symbolic
// links (which need not exist yet). Empty, with errno set, for a chain that does not end.
std::string WriteTarget(std::string path) {
    for (int links = 0; links <= kMaxLinks; ++links) {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
        std::string target(static_cast<size_t>(info.st_size > 0 ? info.st_size : 255) + 1, '\0');
        const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
        if (length < 0) return {};
        target.resize(static_cast<size_t>(length));
        path = target.starts_with('/') ? target : FolderOf(path) + "/" + target;
    }
    errno = ELOOP;
    return {};
}

// Creates ".NAME.XXXXXX" beside `path` with the usual mode (0666 less the umask), as any new
// file; mkstemp would give 0600.
int CreateTemporary(const std::string& path, std::string& temp) {
    static constexpr char kLetters[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
#ifdef __EMSCRIPTEN__
    // Emscripten links no thread-local storage together with bulk memory; it runs one thread.
    static std::mt19937 random{std::random_device{}()};
#else
    thread_local std::mt19937 random{std::random_device{}()};
#endif
    std::uniform_int_distribution<size_t> pick(0, sizeof kLetters - 2);
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp = FolderOf(path) + "/." + FileNameOf(path) + ".";
        for (size_t i = 0; i < kTempSuffixLength; ++i) temp += kLetters[pick(random)];
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

// The flush of the folder makes the rename itself durable. Its failure leaves the new file in
// place either way, so it is not reported.
void SyncFolder(const std::string& folder) {
    const FileDescriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.Get() >= 0) ::fsync(dir.Get());
}

// Puts the finished temporary file in place: over the old file, or, for a file that must not
// replace anything, only where there is none.
bool PutInPlace(const std::string& temp, const std::string& path, bool replace) {
    if (replace) return ::rename(temp.c_str(), path.c_str()) == 0;
#ifdef __EMSCRIPTEN__
    // Emscripten's file systems have no hard links. The name is claimed by creating it
    // exclusively, which fails when it is taken; the finished file then replaces the empty claim.
    if (FileDescriptor claim(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        claim.Get() < 0 || !claim.Close())
        return false;
    if (::rename(temp.c_str(), path.c_str()) == 0) return true;
    const int error = errno;
    ::unlink(path.c_str());
    errno = error;
    return false;
#else
    // A hard link fails when the name is taken; the temporary name goes afterwards.
    if (::link(temp.c_str(), path.c_str()) != 0) return false;
    ::unlink(temp.c_str());
    return true;
#endif
}

// The first part of a replacement: the temporary file beside the write target of `requested`,
// filled by `fill` and flushed to the disk. Returns 0 or the errno of the step that failed, when
// no temporary file is left.
int PrepareWith(const std::string& requested, const std::function<bool(int fd)>& fill,
                const ReplaceFault& fault, PreparedReplacement& prepared) {
    const auto failsAt = [&](ReplaceStep step) { return fault && fault(step); };
    prepared.Target = WriteTarget(requested);
    if (prepared.Target.empty()) return errno;
    if (failsAt(ReplaceStep::Create)) return EIO;
    FileDescriptor out(CreateTemporary(prepared.Target, prepared.Temp));
    if (out.Get() < 0) return errno;

    // The new file keeps the old one's permissions as long as they let its owner read and write
    // it back; otherwise (mode 000, say) it gets the usual ones.
    struct stat old {};
    if (::stat(prepared.Target.c_str(), &old) == 0 && (old.st_mode & 0600) == 0600)
        ::fchmod(out.Get(), old.st_mode & 07777);

    int error = 0;
    const auto step = [&](ReplaceStep which, const std::function<bool()>& run) {
        if (error != 0) return;
        if (failsAt(which)) {
            error = EIO;
        } else if (!run()) {
            error = errno != 0 ? errno : EIO;
        }
    };
    errno = 0;
    step(ReplaceStep::Write, [&] { return fill(out.Get()); });
    step(ReplaceStep::Sync, [&] { return ::fsync(out.Get()) == 0; });
    const bool closed = out.Close();
    if (error == 0 && !closed) error = errno != 0 ? errno : EIO;
    if (error != 0) ::unlink(prepared.Temp.c_str());
    return error;
}

// The last part: the prepared file put in place (`replace`: over an old file, or only where
// there is none). On failure the temporary file stays.
int PutPreparedInPlace(const PreparedReplacement& prepared, const ReplaceFault& fault,
                       bool replace) {
    errno = 0;
    if (fault && fault(ReplaceStep::Rename)) return EIO;
    if (!PutInPlace(prepared.Temp, prepared.Target, replace)) return errno != 0 ? errno : EIO;
    SyncFolder(FolderOf(prepared.Target));
    return 0;
}

// The whole replacement. Returns 0 or the errno of the step that failed.
int ReplaceFileWith(const std::string& requested, const std::function<bool(int fd)>& fill,
                    const ReplaceFault& fault, bool replace) {
    PreparedReplacement prepared;
    if (const int error = PrepareWith(requested, fill, fault, prepared); error != 0) return error;
    const int error = PutPreparedInPlace(prepared, fault, replace);
    if (error != 0) ::unlink(prepared.Temp.c_str());
    return error;
}

}  // namespace

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::optional<std::vector<uint8_t>> ReadWholeFile(const std::string& path, size_t maxSize) {
    FileRead read = ReadRegularFile(path, maxSize);
    if (!read.Ok()) return std::nullopt;
    return std::move(read.Bytes);
}

bool MakeFolders(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
        if (!S_ISDIR(info.st_mode)) errno = ENOTDIR;
        return S_ISDIR(info.st_mode);
    }
    // A dangling symbolic link in the folder's place is no folder either.
    if (errno == ENOENT && ::lstat(path.c_str(), &info) == 0) {
        errno = ENOTDIR;
        return false;
    }
    const std::string parent = FolderOf(path);
    if (parent != path && parent != "." && parent != "/" && !MakeFolders(parent)) return false;
    if (::mkdir(path.c_str(), 0700) == 0) return true;
    // Made by someone else meanwhile is as good.
    return errno == EEXIST && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool ReplaceFile(const std::string& path, const std::vector<uint8_t>& bytes,
                 const ReplaceFault& fault, int* error) {
    const int failure = ReplaceFileWith(
        path, [&](int fd) { return WriteAll(fd, bytes.data(), bytes.size()); }, fault, true);
    if (error != nullptr) *error = failure;
    return failure == 0;
}

int PrepareReplacement(const std::string& path, const std::vector<uint8_t>& bytes,
                       const ReplaceFault& fault, PreparedReplacement* prepared) {
    return PrepareWith(
        path, [&](int fd) { return WriteAll(fd, bytes.data(), bytes.size()); }, fault, *prepared);
}

int FinishReplacement(const PreparedReplacement& prepared, const ReplaceFault& fault) {
    return PutPreparedInPlace(prepared, fault, true);
}

int RemoveStaleTemporaries(const std::string& folder,
                           const std::function<bool(const std::string&)>& ours) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return 0;
    const time_t now = std::time(nullptr);
    int removed = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (!ours(name)) continue;
        struct stat info {};
        const std::string path = folder + "/" + name;
        if (::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
        if (now - info.st_mtime < kStaleSeconds) continue;  // a save may still be writing it
        if (::unlink(path.c_str()) == 0) ++removed;
    }
    ::closedir(dir);
    return removed;
}

int RemoveStaleTemporaryFilesOf(const std::string& path) {
    const std::string start = "." + FileNameOf(path) + ".";
    return RemoveStaleTemporaries(FolderOf(path), [&](const std::string& name) {
        return name.size() == start.size() + kTempSuffixLength && name.starts_with(start) &&
               std::all_of(name.begin() + static_cast<std::ptrdiff_t>(start.size()), name.end(),
                           [](char c) { return std::isalnum(static_cast<unsigned char>(c)); });
    });
}

bool IsTemporaryName(const std::string& name, std::string* file) {
    if (name.size() < 2 + kTempSuffixLength + 1 || name[0] != '.') return false;
    const size_t dot = name.size() - kTempSuffixLength - 1;
    if (name[dot] != '.') return false;
    for (size_t i = dot + 1; i < name.size(); ++i)
        if (!std::isalnum(static_cast<unsigned char>(name[i]))) return false;
    *file = name.substr(1, dot - 1);
    return true;
}

std::optional<std::string> SetAsideAsDamaged(const std::string& path) {
    constexpr int kMostAside = 1000;
    for (int number = 0; number < kMostAside; ++number) {
        const std::string aside =
            path + ".damaged" + (number == 0 ? "" : "." + std::to_string(number));
        if (EntryExists(aside)) continue;
        if (::rename(path.c_str(), aside.c_str()) != 0) return std::nullopt;
        return aside;
    }
    errno = EEXIST;
    return std::nullopt;
}

bool EntryExists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

std::optional<int64_t> RegularFileWritten(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
    return int64_t{info.st_mtim.tv_sec} * 1000000000 + info.st_mtim.tv_nsec;
}

namespace {

// 0 when the open file may be copied, else the errno that says why not.
int SourceErrorOf(const FileDescriptor& in, size_t maxSize) {
    struct stat info {};
    if (in.Get() < 0 || ::fstat(in.Get(), &info) != 0) return errno;
    if (!S_ISREG(info.st_mode)) return EINVAL;
    if (static_cast<uint64_t>(info.st_size) > maxSize) return EFBIG;
    return 0;
}

// Keeps a file too large to copy under a second name of its own. 0 or the errno.
int KeepByLink(const std::string& path, const std::string& copyPath) {
#ifdef __EMSCRIPTEN__
    // Emscripten's file systems have no hard links.
    (void)path;
    (void)copyPath;
    return EFBIG;
#else
    if (::linkat(AT_FDCWD, path.c_str(), AT_FDCWD, copyPath.c_str(), AT_SYMLINK_FOLLOW) != 0)
        return errno == EEXIST ? EEXIST : EFBIG;
    SyncFolder(FolderOf(copyPath));
    return 0;
#endif
}

}  // namespace

int CopySourceError(const std::string& path, size_t maxSize, bool* opened) {
    const FileDescriptor in(OpenToRead(path));
    *opened = in.Get() >= 0;
    return SourceErrorOf(in, maxSize);
}

CopyOutcome CopyToNewFile(const std::string& path, const std::string& copyPath, size_t maxSize,
                          const ReplaceFault& fault) {
    const FileDescriptor in(OpenToRead(path));
    if (const int error = SourceErrorOf(in, maxSize); error != 0) {
        if (error == EFBIG) return CopyOutcome{KeepByLink(path, copyPath), false, true};
        return CopyOutcome{error, true, in.Get() >= 0};
    }
    const auto copyAll = [&](int out) {
        std::vector<uint8_t> buffer(64 * 1024);
        for (;;) {
            const ssize_t got = ::read(in.Get(), buffer.data(), buffer.size());
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) return false;
            if (got == 0) return true;
            if (!WriteAll(out, buffer.data(), static_cast<size_t>(got))) return false;
        }
    };
    return CopyOutcome{ReplaceFileWith(copyPath, copyAll, fault, false), false, true};
}

}  // namespace ZapModule
