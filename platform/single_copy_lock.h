// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One copy of the game at a time on a written-data folder: each copy keeps the player's files in
// memory and writes them at its exit, so a second copy would overwrite the first one's progress
// (or lose its own). The lock is a file in that folder, held until the process ends; a lock whose
// copy is gone (killed, crashed) is taken over, however old it is, and so is one that names no
// copy at all (empty, junk, unreadable, or no file) unless a running copy may still hold it.

#include <memory>
#include <string>
#include <string_view>

namespace ZapModule {

inline constexpr std::string_view kLockFileName = "zapwall.lock";

class SingleCopyLock {
  public:
    enum class Outcome {
        Taken,          // this copy holds the folder
        HeldByAnother,  // a running copy holds it
        Unavailable,    // the folder cannot take a lock file (read-only, say): then nothing can
                        // be saved there either, so no copy can overwrite another's files
    };

    // Tries once, at once. The folder is created (with its parents) when it is missing, so that
    // the lock can be taken before the first save.
    explicit SingleCopyLock(const std::string& folder);
    ~SingleCopyLock();
    SingleCopyLock(const SingleCopyLock&) = delete;
    SingleCopyLock& operator=(const SingleCopyLock&) = delete;

    Outcome Result() const { return outcome_; }
    const std::string& Path() const { return path_; }
    // Where taking the lock moved a folder found in its place; usually empty.
    const std::string& SetAside() const { return setAside_; }

  private:
    // The platform's hold on the lock file (the desktop's is Qt's lock file, node's its own).
    struct Held;

    std::string path_;
    std::string setAside_;
    std::unique_ptr<Held> held_;
    Outcome outcome_ = Outcome::Unavailable;
};

}  // namespace ZapModule
