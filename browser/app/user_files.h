// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The player's files in the page: the desktop's disk files on the page's file system, with the
// page told of every file the game changes there, so that it keeps them (in IndexedDB) beyond
// the page's life. Each change is reported once it is complete, so the page stores whole files.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "storage/disk_data_files.h"
#include "storage/replay_folder.h"

namespace ZapModule {

class UserFiles : public DataFiles {
  public:
    // The paths of files written or removed.
    using ChangeReport = std::function<void(const std::vector<std::string>& paths)>;

    UserFiles(std::string folder, ChangeReport changed);

    std::optional<std::vector<uint8_t>> Read(const std::string& name) override {
        return disk_.Read(name);
    }
    std::string ReadProblem(const std::string& name) override { return disk_.ReadProblem(name); }
    bool Write(const std::string& name, const std::vector<uint8_t>& bytes) override;
    bool Exists(const std::string& name) override { return disk_.Exists(name); }
    bool Copy(const std::string& name, const std::string& copyName) override;
    std::string Where(const std::string& name) const override { return disk_.Where(name); }
    std::string LastWriteProblem() const override { return disk_.LastWriteProblem(); }

    // Where the replays go: replays/ in the folder. The close handlers keep a game's replay
    // there as on the desktop, removing the oldest beyond the newest 100.
    std::string ReplayFolder() const { return disk_.PathOf(std::string(kReplayFolder)); }
    // Notes which replays are there now; ReportReplayChanges reports the files written and
    // removed since.
    void NoteReplays();
    void ReportReplayChanges();
    // The page keeps the journal of the game being played (ReplayJournal) as it grows: reported
    // when it changed, at most once every kJournalReportMillis of `nowMillis`, so that a page
    // closed mid-game loses only the last moments of it. `now` reports any change at once.
    void ReportJournal(double nowMillis, bool now = false);
    static constexpr double kJournalReportMillis = 5000;

  private:
    DiskDataFiles disk_;
    ChangeReport changed_;
    std::vector<std::string> replays_;  // as NoteReplays found them, sorted
    double journalReported_ = 0;
    int64_t journalSize_ = -2;  // as last reported; -1 for none, -2 before the first report
};

}  // namespace ZapModule
