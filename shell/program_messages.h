// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The messages with which a frontend refuses to start a game or to watch a replay, and the one it
// shows when a watched replay no longer plays out as recorded. Every frontend shows these same
// texts.

#include <string>
#include <string_view>

namespace ZapModule {

// The caption of the program's own message boxes.
inline constexpr std::string_view kProgramTitle = "Zapwall";

inline constexpr std::string_view kReplayDiverged =
    "Záznam hry se nepřehrál tak, jak byl nahrán, a končí.";

// Start-up refused the game's data; `refusal` names the file and says what is wrong with it.
inline std::string DataRefusal(const std::string& refusal) {
    return "Hru nelze spustit, soubor s daty hry je poškozený nebo chybí:\n" + refusal;
}

// A replay cannot be watched: `file` as the player knows it, and why.
inline std::string ReplayRefusal(const std::string& file, const std::string& why) {
    return "Záznam hry nelze přehrát:\n" + file + "\n" + why;
}

// Why a replay recorded with another data file (`dataFile`, such as "levels.ko") cannot be
// watched on the one at `path`.
inline std::string OtherDataFile(const std::string& dataFile, const std::string& path) {
    return "Záznam byl pořízen s jiným souborem " + dataFile + ", než je " + path;
}

}  // namespace ZapModule
