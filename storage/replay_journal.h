// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The replay of the game being played, written as the game goes: its header when the game
// begins, then each input as the rules get it, appended to one file in the replays folder. A game
// that ends saves its whole replay (SaveReplay) and drops this file; a program killed mid-game
// leaves it behind, and the next start saves it as a replay of the game up to its last input,
// ended "cut".

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "storage/replay_file.h"

namespace ZapModule {

inline constexpr std::string_view kJournalName = "recording.zapwall-journal";

class ReplayJournal {
  public:
    // Starts the file in `folder` (made when missing) for a recording that begins as `head`
    // (its inputs are not written). False when it cannot be written: the game goes on all the
    // same, and its replay is saved when it ends.
    bool Begin(const std::string& folder, const Replay& head);
    // Appends an input at once, while the file stays within a replay file's limits.
    void Append(const ReplayEvent& e);
    // The game's whole replay is saved: the file goes.
    void Drop();
    // The file being written, or empty.
    const std::string& Path() const { return path_; }

  private:
    struct Closer {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    std::unique_ptr<std::FILE, Closer> file_;
    std::string path_;
    size_t bytes_ = 0;
    size_t inputs_ = 0;
};

// What a start made of the file a killed game left in `folder`: the replay saved from it, or why
// none was. A file that cannot be read as a replay is kept beside with ".damaged" added (".1", …
// after it when an earlier one is kept); one whose replay could not be saved stays for the next
// start, and one whose game a kept replay holds already goes without a second save.
struct CutReplay {
    std::optional<std::string> Saved;  // the path of the replay written
    std::string Problem;               // empty when there was no such file or all went well
};
CutReplay SaveCutReplay(const std::string& folder);

}  // namespace ZapModule
