// SPDX-License-Identifier: GPL-3.0-or-later
// The check of a file the player brings into the browser's saved files (the "Soubory" dialog of
// files.js), made as the desktop makes it: players.ko, hall.ko and tick.ko as `zapwall-data check`
// checks a player's folder, a replay as watching it reads it. The page puts the file alone into a
// folder of its own in the emscripten file system and asks here before anything stored is
// replaced, so a file the desktop would not take whole never reaches the player's folder.

#include <emscripten/emscripten.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "game/data_check.h"
#include "platform/file_reading.h"
#include "storage/file_problems.h"
#include "storage/hall.h"
#include "storage/replay_file.h"
#include "storage/roster.h"
#include "storage/tick.h"

namespace {

using namespace ZapModule;

std::string ReplayProblem(const std::string& path, const std::string& name) {
    const FileRead read = ReadRegularFile(path, kMaxReplayFileSize);
    if (!read.Ok()) return name + ": " + DescribeReadFailure(read);
    const ReplayParse parsed = ParseReplay(
        std::string_view(reinterpret_cast<const char*>(read.Bytes.data()), read.Bytes.size()));
    if (parsed.Read) return {};
    return name + ": záznam hry nelze přehrát (" + parsed.Problem + ")";
}

std::string ImportProblem(const std::string& folder, const std::string& name) {
    if (name == kRosterFile || name == kHallFile || name == kTickFile) {
        // The game never saves one of these empty: an empty one is a download that failed, and
        // taking it would wipe the players, the hall of fame or the speed the player has.
        std::error_code error;
        if (std::filesystem::file_size(folder + "/" + name, error) == 0 && !error)
            return name +
                   ": soubor je prázdný (nejspíš se nestáhl celý); uložený soubor zůstane, "
                   "jak je";
        // The folder holds this one file, so every problem found is its own.
        const std::vector<std::string> problems = CheckSavedFiles(folder);
        return problems.empty() ? std::string() : problems.front();
    }
    if (name.ends_with(kReplayExtension)) return ReplayProblem(folder + "/" + name, name);
    return name + ": hra takový soubor nezná (zná " + kRosterFile + ", " + kHallFile + ", " +
           kTickFile + " a záznamy her *" + std::string(kReplayExtension) + ")";
}

}  // namespace

// The Czech reason why the file `name` in `folder` cannot be taken, or "" when it can. The text
// lives until the next call.
extern "C" EMSCRIPTEN_KEEPALIVE const char* zapwall_import_problem(const char* folder,
                                                                   const char* name) {
    static std::string problem;
    problem = ImportProblem(folder, name);
    return problem.c_str();
}
