// SPDX-License-Identifier: GPL-3.0-or-later
// The lock under node (zapwall-sim.js), where there is no Qt: the same zapwall.lock file in the
// format QLockFile writes and reads (the process id, the program's name, the host's name, one per
// line), so the desktop game and a node run see each other's lock. It is made by an exclusive
// create and removed when the run ends; one whose process is gone from this host is taken over,
// and so is one that names no process, as the desktop lock does.

#include "platform/single_copy_lock.h"

#include <emscripten.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <optional>
#include <string>
#include <utility>

#include "platform/disk_files.h"
#include "platform/file_descriptor.h"
#include "platform/file_reading.h"
#include "platform/unowned_lock.h"

namespace ZapModule {

// The lock file this run made, removed when the run ends.
struct SingleCopyLock::Held {
    explicit Held(std::string path) : Path(std::move(path)) {}
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;
    ~Held() { ::unlink(Path.c_str()); }
    std::string Path;
};
namespace {

// What this process writes into its lock: its id, node's program name, the host's name.
EM_JS(int, NodeLockContents, (char* buffer, int size), {
    const text = process.pid + '\n' + require('path').basename(process.execPath) + '\n' +
                 require('os').hostname() + '\n';
    return stringToUTF8(text, buffer, size);
});

// 1 when a process with this id runs on this host (also when it is not ours to signal).
EM_JS(int, NodeProcessRuns, (int pid), {
    try {
        process.kill(pid, 0);
        return 1;
    } catch (e) {
        return e.code == 'EPERM' ? 1 : 0;
    }
});

std::string OwnContents() {
    std::string text(1024, '\0');
    text.resize(NodeLockContents(text.data(), static_cast<int>(text.size())));
    return text;
}

std::string LineOf(const std::string& text, int index) {
    size_t start = 0;
    for (int i = 0; i < index; ++i) {
        start = text.find('\n', start);
        if (start == std::string::npos) return {};
        ++start;
    }
    return text.substr(start, text.find('\n', start) - start);
}

// The process a lock names; nothing when it names none (empty, junk, unreadable, no file).
std::optional<int> Owner(const std::string& text) {
    const std::string pidText = LineOf(text, 0);
    int pid = 0;
    const auto [end, ec] = std::from_chars(pidText.data(), pidText.data() + pidText.size(), pid);
    if (ec != std::errc() || end != pidText.data() + pidText.size() || pid <= 0)
        return std::nullopt;
    return pid;
}

// Clears a lock left by a process that no longer runs on this host, and one that names no
// process unless a running copy may still hold it; a lock from another host stays.
LockClearing ClearStale(const std::string& path, const std::string& own) {
    const FileRead lock = ReadRegularFile(path, 4096);
    const std::string text(lock.Bytes.begin(), lock.Bytes.end());
    const std::optional<int> pid = lock.Ok() ? Owner(text) : std::nullopt;
    if (!pid) return ClearUnownedLock(path);
    LockClearing result;
    if (LineOf(text, 2) == LineOf(own, 2) && NodeProcessRuns(*pid) == 0)
        result.Cleared = ::unlink(path.c_str()) == 0 || errno == ENOENT;
    return result;
}

}  // namespace

SingleCopyLock::SingleCopyLock(const std::string& folder)
    : path_(folder + "/" + std::string(kLockFileName)) {
    if (!MakeFolders(folder)) return;
    const std::string own = OwnContents();
    for (int attempt = 0; attempt < 2; ++attempt) {
        FileDescriptor file(::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
        if (file.Get() >= 0) {
            const bool written =
                ::write(file.Get(), own.data(), own.size()) == static_cast<ssize_t>(own.size());
            if (file.Close() && written) {
                outcome_ = Outcome::Taken;
                held_ = std::make_unique<Held>(path_);
            } else {
                ::unlink(path_.c_str());
            }
            return;
        }
        if (errno != EEXIST) return;
        outcome_ = Outcome::HeldByAnother;
        if (attempt > 0) return;
        const LockClearing cleared = ClearStale(path_, own);
        if (!cleared.Cleared) return;
        setAside_ = cleared.SetAside;
        outcome_ = Outcome::Unavailable;
    }
}

SingleCopyLock::~SingleCopyLock() = default;

}  // namespace ZapModule
