// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/replay_folder.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <system_error>

#include "platform/file_reading.h"
#include "storage/disk_data_files.h"
#include "storage/file_problems.h"

namespace ZapModule {

namespace {

// "2026-12-07_23-40-12" at the start of a file name, as ReplayFileName writes it.
constexpr std::string_view kStampShape = "0000-00-00_00-00-00";
constexpr size_t kLongestName = 32;

bool HasStamp(const std::string& name) {
    if (name.size() < kStampShape.size()) return false;
    for (size_t i = 0; i < kStampShape.size(); ++i) {
        const bool digit = std::isdigit(static_cast<unsigned char>(name[i])) != 0;
        if (kStampShape[i] == '0' ? !digit : name[i] != kStampShape[i]) return false;
    }
    return true;
}

bool EndsWith(const std::string& text, std::string_view end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::string SafeName(const std::string& player) {
    std::string safe;
    for (const char c : player) {
        const auto byte = static_cast<unsigned char>(c);
        safe += std::isalnum(byte) != 0 || byte == '-' || byte >= 0x80 ? c : '_';
    }
    if (safe.size() > kLongestName) {
        size_t cut = kLongestName;
        // Never in the middle of a letter's bytes.
        while (cut > 0 && (static_cast<unsigned char>(safe[cut]) & 0xC0) == 0x80) --cut;
        safe.resize(cut);
    }
    return safe;
}

// The name without its extension and without a "-N" that SaveReplay added.
size_t BaseLength(const std::string& name) {
    const size_t end = name.size() - kReplayExtension.size();
    size_t digits = end;
    while (digits > 0 && std::isdigit(static_cast<unsigned char>(name[digits - 1])) != 0) --digits;
    return digits < end && digits > kStampShape.size() && name[digits - 1] == '-' ? digits - 1
                                                                                  : end;
}

int CopyNumber(const std::string& name) {
    const size_t base = BaseLength(name);
    const size_t end = name.size() - kReplayExtension.size();
    if (base == end || end - base > 8) return 1;
    return std::stoi(name.substr(base + 1, end - base - 1));
}

// The name SaveReplay gives the `copy`th game of the file name `name` (from 2).
std::string CopyName(const std::string& name, int copy) {
    return name.substr(0, name.size() - kReplayExtension.size()) + "-" + std::to_string(copy) +
           std::string(kReplayExtension);
}

}  // namespace

std::string RecordedTime(std::time_t when) {
    std::tm local{};
    localtime_r(&when, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

std::string ReplayFileName(const std::string& recorded, const std::string& player) {
    std::string stamp = recorded.substr(0, kStampShape.size());
    for (char& c : stamp) c = c == ' ' ? '_' : c == ':' ? '-' : c;
    if (!HasStamp(stamp)) stamp = "0000-00-00_00-00-00";
    const std::string name = SafeName(player);
    return stamp + (name.empty() ? "" : "_" + name) + std::string(kReplayExtension);
}

std::optional<std::string> SaveReplay(const std::string& folder, const Replay& replay, size_t keep,
                                      std::string* problem) {
    const auto fail = [&](int error) -> std::optional<std::string> {
        if (problem != nullptr) *problem = WriteErrorText(error);
        return std::nullopt;
    };
    if (!MakeFolders(folder)) return fail(errno);
    RemoveStaleTemporaryFiles(folder);
    const std::string name = ReplayFileName(replay.Recorded, replay.Player.Name);
    std::string written = name;
    for (int copy = 2; EntryExists(folder + "/" + written); ++copy) written = CopyName(name, copy);
    const std::string text = ReplayText(replay);
    int error = 0;
    if (!ReplaceFile(folder + "/" + written, std::vector<uint8_t>(text.begin(), text.end()), {},
                     &error))
        return fail(error);

    // The oldest go, whatever their names claim; the game just played always stays.
    std::vector<std::string> kept = KeptReplays(folder);
    std::erase(kept, written);
    std::error_code ignored;
    for (size_t i = 0; i + std::max<size_t>(keep, 1) <= kept.size(); ++i)
        std::filesystem::remove(folder + "/" + kept[i], ignored);
    return folder + "/" + written;
}

std::optional<std::string> KeptReplayBeginningWith(const std::string& folder, const Replay& head,
                                                   std::string_view text) {
    const std::string name = ReplayFileName(head.Recorded, head.Player.Name);
    std::string kept = name;
    for (int copy = 2; EntryExists(folder + "/" + kept); ++copy) {
        const FileRead read = ReadRegularFile(folder + "/" + kept, kMaxReplayFileSize);
        const auto same = [](char c, uint8_t byte) { return static_cast<uint8_t>(c) == byte; };
        if (read.Ok() && read.Bytes.size() >= text.size() &&
            std::equal(text.begin(), text.end(), read.Bytes.begin(), same))
            return folder + "/" + kept;
        kept = CopyName(name, copy);
    }
    return std::nullopt;
}

std::vector<std::string> KeptReplays(const std::string& folder) {
    struct Kept {
        std::string Name;
        bool Future;      // its time is later than now
        int64_t Written;  // the time of the last write, in nanoseconds
        int Copy;         // 1, or N of a "-N" the name got beside an earlier game's
    };
    std::vector<Kept> found;
    // A time later than now was given by a clock set ahead, later put right: such a file was
    // written before any written from now on, so it counts as the oldest.
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    const int64_t latest = std::chrono::duration_cast<std::chrono::nanoseconds>(now).count();
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        if (!HasStamp(name) || !EndsWith(name, kReplayExtension)) continue;
        const std::optional<int64_t> written = RegularFileWritten(entry.path().string());
        if (!written) continue;
        found.push_back({name, *written > latest, *written, CopyNumber(name)});
    }
    // The order of writing: the file system's time, and within one tick of its clock the copy
    // numbers, which were given in that order.
    std::sort(found.begin(), found.end(), [](const Kept& a, const Kept& b) {
        if (a.Future != b.Future) return a.Future;
        if (a.Written != b.Written) return a.Written < b.Written;
        const std::string_view baseA = std::string_view(a.Name).substr(0, BaseLength(a.Name));
        const std::string_view baseB = std::string_view(b.Name).substr(0, BaseLength(b.Name));
        if (baseA == baseB) return a.Copy < b.Copy;
        return a.Name < b.Name;
    });
    std::vector<std::string> names;
    names.reserve(found.size());
    for (Kept& kept : found) names.push_back(std::move(kept.Name));
    return names;
}

}  // namespace ZapModule
