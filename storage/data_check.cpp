#include "storage/data_check.h"

#include <optional>

#include "graphics/animations.h"
#include "storage/disk_data_files.h"
#include "storage/hall.h"
#include "storage/level_file.h"
#include "storage/roster.h"
#include "storage/tick.h"

namespace ZapModule {

namespace {

// The file's bytes, or a problem naming it when it is missing or cannot be read.
std::optional<std::vector<uint8_t>> ReadOrComplain(DiskDataFiles& files, const std::string& name,
                                                   std::vector<std::string>& problems) {
    std::optional<std::vector<uint8_t>> bytes = files.Read(name);
    if (!bytes) {
        problems.push_back(name +
                           (files.Exists(name) ? ": file cannot be read" : ": file is missing"));
    }
    return bytes;
}

void Append(std::vector<std::string>& problems, const std::vector<std::string>& more) {
    problems.insert(problems.end(), more.begin(), more.end());
}

std::vector<std::string> PictureNames() {
    std::vector<std::string> names{"pictures/gui"};
    for (int sheet = 1; sheet <= kSpriteCount; ++sheet) {
        names.push_back("pictures/ko" + std::to_string(sheet));
    }
    return names;
}

std::string TickProblem(const TickRead& tick) {
    const std::string uses = ", the game uses " + std::to_string(tick.Value);
    switch (tick.Status) {
        case TickRead::Kind::NoNumber:
            return kTickFile + ": no number at the start of the first line" + uses;
        case TickRead::Kind::Clamped:
            return kTickFile + ": " + tick.Number + " is outside " + std::to_string(kMinTick) +
                   " to " + std::to_string(kMaxTick) + uses;
        case TickRead::Kind::InRange:
            break;
    }
    return {};
}

}  // namespace

std::vector<std::string> CheckGameData(const std::string& dataDir, const PictureLoader& load) {
    std::vector<std::string> problems;
    DiskDataFiles files(dataDir);
    if (const auto levels = ReadOrComplain(files, "levels.ko", problems)) {
        Append(problems, CheckLevelFile(*levels));
    }
    if (const auto animations = ReadOrComplain(files, "animations.ko", problems)) {
        Append(problems, CheckAnimationFile(*animations));
    }
    for (const std::string& picture : PictureNames()) {
        if (!files.Exists(picture)) {
            problems.push_back(picture + ": file is missing");
        } else if (!load(files.PathOf(picture))) {
            problems.push_back(picture + ": not a picture that can be loaded");
        }
    }
    return problems;
}

std::vector<std::string> CheckSavedFiles(const std::string& dataDir) {
    std::vector<std::string> problems;
    DiskDataFiles files(dataDir);
    const auto readIfThere = [&](const std::string& name) -> std::optional<std::vector<uint8_t>> {
        if (!files.Exists(name)) return std::nullopt;
        return ReadOrComplain(files, name, problems);
    };
    if (const auto roster = readIfThere(kRosterFile)) {
        if (RosterRead read = ParseRoster(*roster); !read.Problem.empty()) {
            problems.push_back(read.Problem);
        }
    }
    if (const auto hall = readIfThere(kHallFile)) {
        if (HallRead read = ParseHall(*hall); !read.Problem.empty()) {
            problems.push_back(read.Problem);
        }
    }
    if (const auto tick = readIfThere(kTickFile)) {
        if (const std::string problem = TickProblem(ReadTick(*tick)); !problem.empty()) {
            problems.push_back(problem);
        }
    }
    return problems;
}

}  // namespace ZapModule
