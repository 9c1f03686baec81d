// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The start-up check of a data folder: the files the game cannot do without are read whole and
// checked before anything else is loaded, so a damaged folder is refused with a clear message
// instead of crashing or misbehaving later. The game and `zapwall-data check` use the same
// reading, limits and texts, so the check passes exactly the folders the game plays.

#include <optional>
#include <string>
#include <vector>

#include "graphics/sprites.h"

namespace ZapModule {

// levels.ko or animations.ko read within its size limit and checked: its bytes, or its problems,
// each naming the file ("levels.ko: soubor chybí"). The file is read from `at` when that is
// given (a level set read where it lies), else from the data folder.
struct RequiredFile {
    std::vector<uint8_t> Bytes;
    std::vector<std::string> Problems;
};
RequiredFile ReadRequiredFile(const std::string& dataDir, const std::string& name,
                              const std::string& at = {});

// The picture at `path` through `load`, held to the picture size rule; nothing, with the reason in
// `why`, when it cannot be used.
std::optional<Surface> LoadCheckedPicture(const PictureLoader& load, const std::string& path,
                                          std::string& why);

// The data-relative names of the fourteen pictures: pictures/gui, then pictures/ko1 ... ko13.
std::vector<std::string> PictureNames();

// The problems of levels.ko, animations.ko and the fourteen pictures (loaded through `load`), one
// text each, in that order; empty when the game can use the folder. The game refuses the folder
// with the first.
std::vector<std::string> CheckGameData(const std::string& dataDir, const PictureLoader& load);

// What the game plays, but not as meant, in levels.ko (the rules of storage/level_rules.h, with
// the brick sheet's pictures counted), one text each naming the file; nothing when levels.ko is
// refused, which CheckGameData reports.
std::vector<std::string> CheckLevelPlay(const std::string& dataDir, const PictureLoader& load);

// The sound files the game would leave silent (missing, not a regular file, not a WAV file the
// component plays, or beyond the sound limits), one text each such as
// "sounds/bum.wav: vzorkovací frekvence 1 Hz je mimo 4000 až 192000 Hz". The game plays without
// them; only the effect is silent.
std::vector<std::string> CheckSounds(const std::string& dataDir);

// The problems of the files the game writes (players.ko, hall.ko, tick.ko), where present: the
// game copes with them (it uses what is whole and keeps a damaged file aside), but a maintainer
// wants to know.
std::vector<std::string> CheckSavedFiles(const std::string& dataDir);

}  // namespace ZapModule
