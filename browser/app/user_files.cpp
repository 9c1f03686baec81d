// SPDX-License-Identifier: GPL-3.0-or-later
#include "browser/app/user_files.h"

#include <sys/stat.h>

#include <algorithm>
#include <iterator>
#include <utility>

#include "storage/replay_folder.h"
#include "storage/replay_journal.h"

namespace ZapModule {

UserFiles::UserFiles(std::string folder, ChangeReport changed)
    : disk_(std::move(folder)), changed_(std::move(changed)) {}

bool UserFiles::Write(const std::string& name, const std::vector<uint8_t>& bytes) {
    if (!disk_.Write(name, bytes)) return false;
    changed_({disk_.PathOf(name)});
    return true;
}

bool UserFiles::Copy(const std::string& name, const std::string& copyName) {
    if (!disk_.Copy(name, copyName)) return false;
    changed_({disk_.PathOf(copyName)});
    return true;
}

void UserFiles::NoteReplays() {
    replays_ = KeptReplays(ReplayFolder());
}

void UserFiles::ReportReplayChanges() {
    const std::vector<std::string> now = KeptReplays(ReplayFolder());
    std::vector<std::string> names;
    std::set_symmetric_difference(replays_.begin(), replays_.end(), now.begin(), now.end(),
                                  std::back_inserter(names));
    replays_ = now;
    if (names.empty()) return;
    std::vector<std::string> paths;
    paths.reserve(names.size());
    for (const std::string& name : names) paths.push_back(ReplayFolder() + "/" + name);
    changed_(paths);
}

void UserFiles::ReportJournal(double nowMillis, bool now) {
    if (!now && nowMillis - journalReported_ < kJournalReportMillis) return;
    journalReported_ = nowMillis;
    const std::string path = ReplayFolder() + "/" + std::string(kJournalName);
    struct stat info {};
    const int64_t size = ::stat(path.c_str(), &info) == 0 ? int64_t{info.st_size} : -1;
    if (size == journalSize_) return;
    journalSize_ = size;
    changed_({path});
}

}  // namespace ZapModule
