#include "layout/single_copy_lock.h"

#include <QLockFile>
#include <QString>

#include "storage/disk_data_files.h"

namespace ZapModule {

SingleCopyLock::SingleCopyLock(const std::string& folder)
    : path_(folder + "/" + std::string(kLockFileName)) {
    if (!MakeFolders(folder)) return;
    lock_ = std::make_unique<QLockFile>(QString::fromStdString(path_));
    // A game may run for hours: the lock is stale only when the copy that took it is gone.
    lock_->setStaleLockTime(0);
    if (lock_->tryLock(0)) {
        outcome_ = Outcome::Taken;
    } else if (lock_->error() == QLockFile::LockFailedError) {
        outcome_ = Outcome::HeldByAnother;
    }
}

SingleCopyLock::~SingleCopyLock() = default;

}  // namespace ZapModule
