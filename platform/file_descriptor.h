// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An open POSIX file descriptor that is closed when it goes out of scope.

#include <unistd.h>

namespace ZapModule {

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

}  // namespace ZapModule
