// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The folders the program works with, chosen at run time from where it finds itself:
//
// * portable: a `data` folder stands beside the program (the build folder, an unpacked copy);
//   everything is read and written there, as the game always did;
// * installed: the program is PREFIX/bin/zapwall, its read-only data is PREFIX/share/zapwall/data
//   and its sound library PREFIX/lib/zapwall, both found relative to the program so that the tree
//   can be moved; the player's files go to the user's own data folder ($XDG_DATA_HOME/zapwall).
//
// The engine never decides this: it gets the read folder as GameState::DataFolder and the
// written one through its DataFiles.

#include <optional>
#include <string>

namespace ZapModule {

struct DataLayout {
    bool Installed = false;
    std::string ProgramFolder;  // AppPath
    std::string DataFolder;     // levels.ko, animations.ko, pictures, sounds (read only)
    std::string UserFolder;     // players.ko, hall.ko, tick.ko, kept damaged copies (written)
    std::string LibraryFolder;  // the sound library
    std::string LevelsFile;     // read instead of DataFolder's levels.ko when not empty
};

// Everything in `dataFolder`, the sound library beside the program.
DataLayout PortableLayout(const std::string& programFolder, const std::string& dataFolder);

// The layout for a program in `programFolder`: portable when a `data` folder stands beside it,
// installed otherwise, with the player's files in `userFolder`.
DataLayout ChooseLayout(const std::string& programFolder, const std::string& userFolder);

// The user's own folder for the player's files: $XDG_DATA_HOME/zapwall when that is an absolute
// path, else ~/.local/share/zapwall, home being $HOME when that is absolute, else the account's
// home. It may not exist yet.
std::string UserDataFolder();

// The layout of the running program.
DataLayout GameLayout();

// The folders of a tool given `--data DIR` and `--user-data DIR` (either may be absent): a data
// folder alone is a portable folder, read and written in place; what is not given is what the
// game would use.
DataLayout ToolLayout(const std::optional<std::string>& data,
                      const std::optional<std::string>& userData);

}  // namespace ZapModule
