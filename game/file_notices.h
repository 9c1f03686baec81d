// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The player is told in a message box what became of the data files the game keeps: a damaged or
// unreadable file that was set aside, and a save that failed (the sentences are storage's).

#include <optional>
#include <string>
#include <vector>

#include "model/state.h"
#include "storage/data_files.h"
#include "storage/file_reports.h"

namespace ZapModule {

// Sets a damaged file aside and says so: `problem` is what is damaged ("players.ko: …"), `used`
// what the game took from it.
void ReportDamagedFile(GameState& s, const std::string& name, const std::string& problem,
                       const std::string& used = kPartUsed);
// Sets aside a file that is there but could not be read at all, and says why.
void ReportUnreadableFile(GameState& s, const std::string& name);
// Says that NAME could not be saved, where and why; once per file and run. The reason is the
// data files' last failed write unless the caller knows its own.
void ReportFailedSave(GameState& s, const std::string& name,
                      const std::optional<std::string>& why = std::nullopt);

// The failed saves reported while it lives are told at its end in one message naming every file,
// so a full disk at the program's end brings one box, not one per file. One inside another
// hands what it holds on to the outer one.
class SaveFailureBatch {
  public:
    explicit SaveFailureBatch(GameState& s) : s_(s), outer_(s.HeldSaveFailures) {
        s.HeldSaveFailures = &held_;
    }
    ~SaveFailureBatch();
    SaveFailureBatch(const SaveFailureBatch&) = delete;
    SaveFailureBatch& operator=(const SaveFailureBatch&) = delete;

  private:
    GameState& s_;
    std::vector<std::string>* outer_;
    std::vector<std::string> held_;  // the failures' sentences, in order
};

// Reads a file the game keeps and parses it with `parse`, whose result names what is damaged in
// its Problem. A damaged or unreadable file is set aside and reported before anything else
// happens to it; a missing one gives the parse result's defaults.
template <typename Result, typename Parse>
Result ReadKeptFile(GameState& s, const std::string& name, Parse parse,
                    const std::string& used = kPartUsed) {
    const std::optional<std::vector<uint8_t>> bytes = s.Files ? s.Files->Read(name) : std::nullopt;
    Result read;
    if (bytes) {
        read = parse(*bytes);
        if (!read.Problem.empty()) ReportDamagedFile(s, name, read.Problem, used);
    } else if (s.Files && s.Files->Exists(name)) {
        ReportUnreadableFile(s, name);
    }
    return read;
}

}  // namespace ZapModule
