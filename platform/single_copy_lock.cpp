// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/single_copy_lock.h"

#include <sys/stat.h>

#include <QLockFile>
#include <QString>

#include "platform/disk_files.h"
#include "platform/unowned_lock.h"

namespace ZapModule {

// The desktop holds its lock as Qt's lock file, which keeps it with flock as well.
struct SingleCopyLock::Held {
    explicit Held(const std::string& path) : File(QString::fromStdString(path)) {}
    QLockFile File;
};

SingleCopyLock::SingleCopyLock(const std::string& folder)
    : path_(folder + "/" + std::string(kLockFileName)) {
    if (!MakeFolders(folder)) return;
    // QLockFile opens a lock it finds to read it, which waits forever on a FIFO (or a link to
    // one) in its place: an entry that is neither a file nor a folder names no copy and is
    // cleared first. One that cannot be cleared means a folder where nothing can be made.
    struct stat entry {};
    if (::lstat(path_.c_str(), &entry) == 0 && !S_ISREG(entry.st_mode) && !S_ISDIR(entry.st_mode) &&
        !ClearUnownedLock(path_).Cleared)
        return;
    held_ = std::make_unique<Held>(path_);
    QLockFile& lock = held_->File;
    // A game may run for hours: the lock is stale only when the copy that took it is gone.
    lock.setStaleLockTime(0);
    // A lock naming a process is QLockFile's to judge (its process runs, or it is taken over);
    // one it cannot read is examined as what it is, once.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (lock.tryLock(0)) {
            outcome_ = Outcome::Taken;
            return;
        }
        if (lock.error() != QLockFile::LockFailedError) return;
        outcome_ = Outcome::HeldByAnother;
        qint64 pid = 0;
        QString host, program;
        if (attempt > 0 || lock.getLockInfo(&pid, &host, &program)) return;
        const LockClearing cleared = ClearUnownedLock(path_);
        if (!cleared.Cleared) return;
        setAside_ = cleared.SetAside;
    }
}

SingleCopyLock::~SingleCopyLock() = default;

}  // namespace ZapModule
