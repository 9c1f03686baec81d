// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The game's command line. Without arguments the game starts as it always has; the options are
// for people and desktops asking what it is, and for watching a recorded game ("--replay FILE",
// or the file alone, as the desktop opens it), for playing a level set of one's own
// ("--levels FILE") and for opening the menu with a player of the roster chosen ("--player NAME",
// as the editor's test play does); those two come before the rest. Read before Qt starts, so that
// they work without a display.

#include <optional>
#include <string>
#include <vector>

#include "layout/data_layout.h"

namespace ZapModule {

struct CommandLine {
    enum class Action { Play, Watch, Help, Version, Refuse };
    Action What = Action::Play;
    std::string Problem;  // why the arguments are refused: one line
    std::string Replay;   // the replay file to watch
    std::string Levels;   // the level set to play in place of the shipped one (--levels FILE)
    std::optional<std::string> Player;  // the roster's player chosen when the menu opens
};

// `args` without the program's name.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// What --help prints: the usage and the folders this copy reads and writes.
std::string HelpText(const DataLayout& layout);

}  // namespace ZapModule
