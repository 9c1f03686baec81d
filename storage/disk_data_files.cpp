#include "storage/disk_data_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

namespace ZapModule {

namespace {

// Closes the descriptor when it goes out of scope.
class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    int Get() const { return fd_; }
    // Closes now, reporting whether the close succeeded (a failed close can lose written data).
    bool Close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

  private:
    int fd_;
};

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

// Reads up to `size` bytes, fewer only at the end of the file; -1 on an error.
ssize_t ReadSome(int fd, uint8_t* data, size_t size) {
    size_t total = 0;
    while (total < size) {
        const ssize_t got = ::read(fd, data + total, size - total);
        if (got < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        if (got == 0) break;
        total += static_cast<size_t>(got);
    }
    return static_cast<ssize_t>(total);
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string FileNameOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The flush of the folder makes the rename itself durable. Its failure leaves the new file in
// place either way, so it is not reported.
void SyncFolder(const std::string& folder) {
    const FileDescriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.Get() >= 0) ::fsync(dir.Get());
}

// The replacement itself: `fill` writes the new contents into the temporary file.
bool ReplaceFileWith(const std::string& path, const std::function<bool(int fd)>& fill,
                     const ReplaceFault& fault) {
    const auto failsAt = [&](ReplaceStep step) { return fault && fault(step); };
    const std::string folder = FolderOf(path);
    std::string temp = folder + "/." + FileNameOf(path) + ".XXXXXX";
    if (failsAt(ReplaceStep::Create)) return false;
    FileDescriptor out(::mkstemp(temp.data()));
    if (out.Get() < 0) return false;

    // The new file keeps the old one's permissions; a new file gets the usual rw-r--r--.
    struct stat old {};
    ::fchmod(out.Get(), ::stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644);

    const bool written = !failsAt(ReplaceStep::Write) && fill(out.Get());
    const bool synced = written && !failsAt(ReplaceStep::Sync) && ::fsync(out.Get()) == 0;
    const bool closed = out.Close();
    if (!synced || !closed || failsAt(ReplaceStep::Rename) ||
        ::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    SyncFolder(folder);
    return true;
}

}  // namespace

std::optional<std::vector<uint8_t>> ReadWholeFile(const std::string& path, size_t maxSize) {
    const FileDescriptor in(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (in.Get() < 0) return std::nullopt;
    struct stat info {};
    if (::fstat(in.Get(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
    if (info.st_size < 0 || static_cast<uint64_t>(info.st_size) > maxSize) return std::nullopt;
    // One byte more than the limit shows a file that grew past it since the size was taken.
    std::vector<uint8_t> bytes(static_cast<size_t>(info.st_size) + 1);
    size_t total = 0;
    for (;;) {
        const ssize_t got = ReadSome(in.Get(), bytes.data() + total, bytes.size() - total);
        if (got < 0) return std::nullopt;
        total += static_cast<size_t>(got);
        if (total < bytes.size()) break;
        if (bytes.size() > maxSize) return std::nullopt;
        bytes.resize(std::min(maxSize + 1, bytes.size() * 2));
    }
    bytes.resize(total);
    return bytes;
}

bool MakeFolders(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) return S_ISDIR(info.st_mode);
    const std::string parent = FolderOf(path);
    if (parent != path && parent != "." && parent != "/" && !MakeFolders(parent)) return false;
    if (::mkdir(path.c_str(), 0700) == 0) return true;
    // Made by someone else meanwhile is as good.
    return errno == EEXIST && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool ReplaceFile(const std::string& path, const std::vector<uint8_t>& bytes,
                 const ReplaceFault& fault) {
    return ReplaceFileWith(
        path, [&](int fd) { return WriteAll(fd, bytes.data(), bytes.size()); }, fault);
}

std::optional<std::vector<uint8_t>> DiskDataFiles::Read(const std::string& name) {
    return ReadWholeFile(PathOf(name));
}

bool DiskDataFiles::Write(const std::string& name, const std::vector<uint8_t>& bytes) {
    // The folder (and a subfolder the name may give) is made on the first write, not before.
    const std::string path = PathOf(name);
    return MakeFolders(FolderOf(path)) && ReplaceFile(path, bytes, Fault);
}

bool DiskDataFiles::Exists(const std::string& name) {
    struct stat info {};
    return ::lstat(PathOf(name).c_str(), &info) == 0;
}

bool DiskDataFiles::Copy(const std::string& name, const std::string& copyName) {
    const FileDescriptor in(::open(PathOf(name).c_str(), O_RDONLY | O_CLOEXEC));
    struct stat info {};
    if (in.Get() < 0 || ::fstat(in.Get(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    const auto copyAll = [&](int out) {
        std::vector<uint8_t> buffer(64 * 1024);
        for (;;) {
            const ssize_t got = ReadSome(in.Get(), buffer.data(), buffer.size());
            if (got < 0) return false;
            if (got == 0) return true;
            if (!WriteAll(out, buffer.data(), static_cast<size_t>(got))) return false;
        }
    };
    return ReplaceFileWith(PathOf(copyName), copyAll, Fault);
}

}  // namespace ZapModule
