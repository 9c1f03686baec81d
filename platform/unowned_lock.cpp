// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/unowned_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

#include "platform/file_descriptor.h"

namespace ZapModule {

namespace {

// Kept folders tried before giving up.
constexpr int kMaxAside = 1000;

bool Exists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

// Whether a running copy may hold the regular file: it is fresh, or someone holds its flock.
bool MayBeHeld(const std::string& path, const struct stat& info) {
    if (std::time(nullptr) - info.st_mtime < kFreshLockSeconds) return true;
    const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    // No permission to open it: no copy of the game made it so.
    if (file.Get() < 0) return false;
    if (::flock(file.Get(), LOCK_EX | LOCK_NB) != 0) return errno == EWOULDBLOCK;
    ::flock(file.Get(), LOCK_UN);
    return false;
}

}  // namespace

LockClearing ClearUnownedLock(const std::string& path) {
    LockClearing result;
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        result.Cleared = errno == ENOENT;
        return result;
    }
    if (S_ISREG(info.st_mode) && MayBeHeld(path, info)) return result;
    if (!S_ISDIR(info.st_mode)) {
        result.Cleared = ::unlink(path.c_str()) == 0 || errno == ENOENT;
        return result;
    }
    for (int number = 0; number < kMaxAside; ++number) {
        const std::string aside =
            path + ".damaged" + (number == 0 ? "" : "." + std::to_string(number));
        if (Exists(aside)) continue;
        if (::rename(path.c_str(), aside.c_str()) != 0) return result;
        result.Cleared = true;
        result.SetAside = aside;
        return result;
    }
    return result;
}

}  // namespace ZapModule
