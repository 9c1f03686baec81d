#pragma once
// What the player is told about the data files the game keeps (players.ko, hall.ko, tick.ko):
// a damaged file that was set aside, and a save that failed.

#include <string>

#include "game/state.h"

namespace ZapModule {

// Keeps a damaged file as NAME.damaged, so that the next save cannot lose what it held, and
// says so in a message box.
void ReportDamagedFile(GameState& s, const std::string& name);
// Says that NAME could not be saved (the file on disk is unchanged).
void ReportFailedSave(GameState& s, const std::string& name);

}  // namespace ZapModule
