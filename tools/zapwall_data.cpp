// SPDX-License-Identifier: GPL-3.0-or-later
// zapwall-data: checks, shows and converts the files of a data folder.
//
//   zapwall-data check [DIR] [--data DIR] [--user-data DIR]
//                                              one line per problem; exit 0 if none, 1 if any.
//                                              DIR alone is a portable folder (the game's data
//                                              and the player's files together); --data and
//                                              --user-data name the two parts; what is not named
//                                              is what the game itself would use
//   zapwall-data show FILE                     players.ko, hall.ko, tick.ko, animations.ko,
//                                              levels.ko or a .zapwall-replay as readable text
//   zapwall-data levels decompile LEVELS.ko    the level set in the level text format
//   zapwall-data levels compile TEXT OUT.ko    a level file from that text
//   zapwall-data --help | --version
//
// A file or folder that cannot be read exits with 1 and one line, usage errors with 2.

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "game/data_check.h"
#include "layout/data_layout.h"
#include "model/version.h"
#include "pictures/picture_loader.h"
#include "platform/file_reading.h"
#include "storage/disk_data_files.h"
#include "storage/file_problems.h"
#include "storage/level_file.h"
#include "storage/level_text.h"
#include "storage/replay_file.h"
#include "tools/zapwall_data_replay.h"
#include "tools/zapwall_data_show.h"
#include "values/data_limits.h"

using namespace ZapModule;

namespace {

constexpr int kOk = 0;
constexpr int kProblems = 1;
constexpr int kUsage = 2;

constexpr const char* kUsageText =
    "usage: zapwall-data check [DIR] [--data DIR] [--user-data DIR]\n"
    "       zapwall-data show FILE\n"
    "       zapwall-data levels decompile LEVELS.ko\n"
    "       zapwall-data levels compile TEXT OUT.ko\n"
    "       zapwall-data --help | --version\n";

int Usage(const std::string& problem) {
    std::cerr << "zapwall-data: " << problem << "\n" << kUsageText;
    return kUsage;
}

// Why `path` is no folder to read, in Czech; empty when it is one.
std::string FolderProblem(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return FolderReadErrorText(errno);
    return S_ISDIR(info.st_mode) ? std::string() : FolderReadErrorText(ENOTDIR);
}

std::optional<std::vector<uint8_t>> ReadOrSay(const std::string& path,
                                              size_t maxSize = std::max(kMaxKeptFileBytes,
                                                                        kMaxLevelFileBytes)) {
    FileRead read = ReadRegularFile(path, maxSize);
    if (!read.Ok()) {
        // The reason is Czech, as the game gives it: no English words around it.
        std::cerr << "zapwall-data: " << path << ": " << DescribeReadFailure(read) << "\n";
        return std::nullopt;
    }
    return std::move(read.Bytes);
}

// The game's data in one folder, the player's files in another (which need not exist yet: nothing
// has been saved then).
int Check(const DataLayout& layout) {
    // A folder that cannot be read is no wrong usage: the arguments may well be right.
    if (const std::string problem = FolderProblem(layout.DataFolder); !problem.empty()) {
        std::cerr << "zapwall-data: " << layout.DataFolder << ": " << problem << "\n";
        return kProblems;
    }
    std::vector<std::string> problems = CheckGameData(layout.DataFolder, LoadPicture);
    for (const auto& more : {CheckLevelPlay(layout.DataFolder, LoadPicture),
                             CheckSounds(layout.DataFolder), CheckSavedFiles(layout.UserFolder)})
        problems.insert(problems.end(), more.begin(), more.end());
    for (const std::string& problem : problems) std::cout << problem << "\n";
    return problems.empty() ? kOk : kProblems;
}

int ShowReplayFile(const std::string& path) {
    const ShownFile shown = ShowReplay(ReadReplayFile(path));
    (shown.Damaged ? std::cerr : std::cout)
        << (shown.Damaged ? "zapwall-data: " + path + ": " : "") << shown.Text;
    return shown.Damaged ? kProblems : kOk;
}

int Show(const std::string& path) {
    if (IsReplayPath(path)) return ShowReplayFile(path);
    const std::optional<std::string> kind = DataFileKind(path);
    if (!kind) {
        return Usage(path +
                     " is none of players.ko, hall.ko, tick.ko, animations.ko, levels.ko, "
                     "*.zapwall-replay");
    }
    const auto bytes = ReadOrSay(path);
    if (!bytes) return kProblems;
    const ShownFile shown = ShowDataFile(*kind, *bytes);
    std::cout << shown.Text;
    return shown.Damaged ? kProblems : kOk;
}

int Decompile(const std::string& path) {
    const auto bytes = ReadOrSay(path);
    if (!bytes) return kProblems;
    const std::vector<std::string> problems = CheckLevelFile(*bytes);
    for (const std::string& problem : problems) std::cerr << problem << "\n";
    if (!problems.empty()) return kProblems;
    std::cout << DecompileLevels(*bytes);
    return kOk;
}

int Compile(const std::string& textPath, const std::string& outPath) {
    const auto text = ReadOrSay(textPath, kMaxLevelTextBytes);
    if (!text) return kProblems;
    const CompiledLevels compiled = CompileLevelText(
        std::string_view(reinterpret_cast<const char*>(text->data()), text->size()));
    for (const LevelTextError& error : compiled.Errors) {
        std::cerr << FormatLevelTextError(textPath, error) << "\n";
    }
    if (!compiled.Errors.empty()) return kProblems;
    if (int error = 0; !ReplaceFile(outPath, compiled.Bytes, {}, &error)) {
        std::cerr << "zapwall-data: " << outPath << ": " << CannotWriteText(WriteErrorText(error))
                  << "\n";
        return kProblems;
    }
    return kOk;
}

// check's arguments: a lone DIR, or --data DIR and --user-data DIR.
int CheckCommand(const std::vector<std::string>& args) {
    std::optional<std::string> data, userData, folder;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--data" || arg == "--user-data") {
            if (i + 1 == args.size()) return Usage(arg + " needs a folder");
            (arg == "--data" ? data : userData) = args[++i];
        } else if (!folder && arg.rfind("--", 0) != 0) {
            folder = arg;
        } else {
            return Usage("wrong arguments for check");
        }
    }
    if (folder && (data || userData)) return Usage("check takes DIR, or --data and --user-data");
    return Check(ToolLayout(folder ? folder : data, userData));
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        std::cout << kUsageText;
        return kOk;
    }
    if (args.size() == 1 && args[0] == "--version") {
        std::cout << "zapwall-data " << kVersion << "\n";
        return kOk;
    }
    if (args.empty()) return Usage("no command");
    const std::string& command = args[0];
    if (command == "check") return CheckCommand({args.begin() + 1, args.end()});
    if (command == "show" && args.size() == 2) return Show(args[1]);
    if (command == "levels" && args.size() == 3 && args[1] == "decompile")
        return Decompile(args[2]);
    if (command == "levels" && args.size() == 4 && args[1] == "compile") {
        return Compile(args[2], args[3]);
    }
    if (command == "show" || command == "levels") {
        return Usage("wrong arguments for " + command);
    }
    return Usage("unknown command " + command);
}
