// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The sends to a hall server that the player said yes to and that have not got through yet, kept
// in a folder of the player's files (hall-sends/) so that none is lost when the server cannot be
// reached: each one a file, written crash-safely before the send goes out and removed once the
// server filed or refused it. They are offered again at the next start and the next game's end.
//
// A kept send's file:
//   ZAPWALL-HALL-SEND 1
//   name NICK       (percent-encoded UTF-8)
//   score IQ
//   level N
//   then the replay's text, as it was recorded

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "hall_protocol/hall_send.h"

namespace ZapModule {

// The folder of the kept sends, in the folder of the player's files.
inline constexpr std::string_view kPendingHallSendsFolder = "hall-sends";
// At most this many sends are kept; a send beyond them is not kept, and the player is told.
constexpr size_t kMaxPendingHallSends = 20;

class PendingHallSends {
  public:
    // The sends kept in `folder` (made at the first one kept).
    explicit PendingHallSends(std::string folder) : folder_(std::move(folder)) {}

    // The kept sends' names ("000012.hall-send", more digits past 999999), oldest first. A file
    // of such a name that is no kept send (no regular file, empty, too large, unreadable, not
    // beginning as one) is set aside as NAME.damaged (NAME.damaged.1, … when taken), never
    // counted, with a note; temporary files of a keep killed half-way are removed.
    std::vector<std::string> Names();
    // Keeps a send; its name, or nothing, with the reason in Czech in `problem`, when it cannot
    // be kept (the folder holds kMaxPendingHallSends already, or the file cannot be written).
    std::optional<std::string> Keep(const HallSend& send, std::string* problem);
    // The kept send of that name; nothing when it is gone, or damaged (it is then set aside).
    std::optional<HallSend> Read(const std::string& name);
    // The send is done with: filed, or refused for good.
    void Drop(const std::string& name);
    // The notes, in Czech, on the files set aside since the last call.
    std::vector<std::string> TakeNotes() { return std::exchange(notes_, {}); }

  private:
    void SetAside(const std::string& name, const std::string& why);

    std::string folder_;
    std::vector<std::string> notes_;
    // The highest number a file of a kept send's name has had, damaged or not.
    uint64_t highest_ = 0;
    bool swept_ = false;
};

// The text of a kept send's file, and back.
std::string PendingSendText(const HallSend& send);
std::optional<HallSend> ParsePendingSend(std::string_view text);

}  // namespace ZapModule
