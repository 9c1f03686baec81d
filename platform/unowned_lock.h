// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A lock file that names no process the lock's own reader can find (empty after a power cut,
// overwritten with junk, unreadable, or a folder, a dangling link or a FIFO in its place) is
// never a reason to refuse the game for good: when nothing shows a running copy behind it, it is
// cleared and the lock taken anew. Shared by the desktop lock and node's.

#include <string>

namespace ZapModule {

// A lock file this young may belong to a copy that has made it and not yet written it.
constexpr int kFreshLockSeconds = 10;

struct LockClearing {
    bool Cleared = false;  // the place is free for a new lock
    std::string SetAside;  // where a folder in the lock's place was moved to; or empty
};

// Clears the entry at `path`, which the lock's reader could not read as a lock, unless a running
// copy may own it: a regular file changed in the last kFreshLockSeconds or locked with flock (as
// QLockFile holds its file) stays. A file or link is removed; a folder is set aside under the
// first free name of "zapwall.lock.damaged", "zapwall.lock.damaged.1", … (its contents are not
// the game's to throw away), and SetAside names it.
LockClearing ClearUnownedLock(const std::string& path);

}  // namespace ZapModule
