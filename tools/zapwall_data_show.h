// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The data files as readable text, for `zapwall-data show`.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ZapModule {

struct ShownFile {
    std::string Text;
    bool Damaged = false;  // the text names what is wrong with the file
};

// The kind of data file a path names by its file name ("players.ko", also as a kept
// "players.ko.damaged"); nothing when it is none of players.ko, hall.ko, tick.ko, animations.ko
// and levels.ko.
std::optional<std::string> DataFileKind(const std::string& path);

// Text printable on any terminal: control characters (C0, DEL and C1), the bidirectional
// controls, the quote and the backslash escaped, so that a damaged or hostile name can neither
// move the cursor, nor turn the rest of the line around, nor end a quotation.
std::string Escaped(const std::string& utf8);
// The same between quotes.
std::string Quoted(const std::string& utf8);

// The file's contents as text, for one of the kinds above.
ShownFile ShowDataFile(const std::string& kind, const std::vector<uint8_t>& bytes);

}  // namespace ZapModule
