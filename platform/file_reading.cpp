// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/file_reading.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/file_descriptor.h"

namespace ZapModule {

namespace {

FileRead Failed(ReadFailure failure, int error = 0) {
    FileRead read;
    read.Failure = failure;
    read.Error = error;
    return read;
}

ReadFailure FailureOfOpen(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            return ReadFailure::Missing;
        case EACCES:
        case EPERM:
            return ReadFailure::NoPermission;
        case ENXIO:  // a socket, or a FIFO opened without a writer
        case EISDIR:
            return ReadFailure::NotAFile;
        default:
            return ReadFailure::Failed;
    }
}

}  // namespace

int OpenToRead(const std::string& path) {
#ifdef __EMSCRIPTEN__
    // Node's file system drops O_NONBLOCK, so opening a FIFO would wait for a writer forever:
    // there the kind is taken from the path before the open.
    struct stat kind {};
    if (::stat(path.c_str(), &kind) == 0 && !S_ISREG(kind.st_mode)) {
        errno = ENXIO;
        return -1;
    }
#endif
    // O_NONBLOCK makes the open itself return at once for a FIFO or a device.
    return ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
}

FileRead ReadRegularFile(const std::string& path, size_t maxSize) {
    // The kind is taken from the descriptor, which cannot change under us as the path could.
    const FileDescriptor in(OpenToRead(path));
    if (in.Get() < 0) return Failed(FailureOfOpen(errno), errno);
    struct stat info {};
    if (::fstat(in.Get(), &info) != 0) return Failed(ReadFailure::Failed, errno);
    if (!S_ISREG(info.st_mode)) return Failed(ReadFailure::NotAFile);
    FileRead read;
    read.Limit = maxSize;
    if (info.st_size < 0 || static_cast<uint64_t>(info.st_size) > maxSize) {
        read.Failure = ReadFailure::TooLarge;
        read.Size = static_cast<uint64_t>(std::max<off_t>(info.st_size, 0));
        return read;
    }
    // One byte more than the size shows a file that grew since the size was taken; it is read
    // on up to the limit.
    std::vector<uint8_t>& bytes = read.Bytes;
    bytes.resize(static_cast<size_t>(info.st_size) + 1);
    size_t total = 0;
    for (;;) {
        const ssize_t got = ::read(in.Get(), bytes.data() + total, bytes.size() - total);
        if (got < 0) {
            if (errno == EINTR) continue;
            return Failed(ReadFailure::Failed, errno);
        }
        if (got == 0) break;
        total += static_cast<size_t>(got);
        if (total < bytes.size()) continue;
        if (total > maxSize) {
            read.Failure = ReadFailure::TooLarge;
            read.Size = total;
            read.Bytes.clear();
            return read;
        }
        bytes.resize(std::min(maxSize + 1, bytes.size() * 2));
    }
    bytes.resize(total);
    return read;
}

FileReader::FileReader(const std::string& path, size_t maxSize) : fd_(OpenToRead(path)) {
    struct stat info {};
    if (fd_ < 0) {
        opened_ = ReadRegularFile(path, maxSize);
    } else if (::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode) ||
               static_cast<uint64_t>(info.st_size) > maxSize) {
        // The kinds of failure as every file's reading names them.
        opened_ = ReadRegularFile(path, maxSize);
        if (opened_.Ok()) opened_.Failure = ReadFailure::NotAFile;
    }
    opened_.Bytes.clear();
}

FileReader::~FileReader() {
    if (fd_ >= 0) ::close(fd_);
}

std::ptrdiff_t FileReader::Read(char* to, size_t most) {
    for (;;) {
        const ssize_t got = ::read(fd_, to, most);
        if (got >= 0 || errno != EINTR) return got;
    }
}

bool FileReader::Rewind() {
    return ::lseek(fd_, 0, SEEK_SET) == 0;
}

}  // namespace ZapModule
