#pragma once
// What the player is told about the data files the game keeps (players.ko, hall.ko, tick.ko):
// a damaged file that was set aside, and a save that failed.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "game/state.h"
#include "storage/data_files.h"

namespace ZapModule {

// Keeps a damaged file as NAME.damaged, so that the next save cannot lose what it held, and
// says so in a message box.
void ReportDamagedFile(GameState& s, const std::string& name);
// Says that NAME could not be saved (the file on disk is unchanged).
void ReportFailedSave(GameState& s, const std::string& name);

// Reads a file the game keeps and parses it with `parse`, whose result names what is damaged in
// its Problem. A damaged file (a Problem, or there but unreadable or too large) is set aside and
// reported before anything else happens to it; a missing one gives the parse result's defaults.
template <typename Result, typename Parse>
Result ReadKeptFile(GameState& s, const std::string& name, Parse parse) {
    const std::optional<std::vector<uint8_t>> bytes = s.Files ? s.Files->Read(name) : std::nullopt;
    Result read;
    bool damaged = false;
    if (bytes) {
        read = parse(*bytes);
        damaged = !read.Problem.empty();
    } else {
        damaged = s.Files && s.Files->Exists(name);
    }
    if (damaged) ReportDamagedFile(s, name);
    return read;
}

}  // namespace ZapModule
