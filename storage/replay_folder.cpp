#include "storage/replay_folder.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "storage/disk_data_files.h"

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

bool Exists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
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

std::optional<std::string> SaveReplay(const std::string& folder, const Replay& replay,
                                      size_t keep) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    const std::string name = ReplayFileName(replay.Recorded, replay.Player.Name);
    const std::string base = name.substr(0, name.size() - kReplayExtension.size());
    std::string path = folder + "/" + name;
    for (int copy = 2; Exists(path); ++copy)
        path = folder + "/" + base + "-" + std::to_string(copy) + std::string(kReplayExtension);
    const std::string text = ReplayText(replay);
    if (!ReplaceFile(path, std::vector<uint8_t>(text.begin(), text.end()))) return std::nullopt;

    const std::vector<std::string> kept = KeptReplays(folder);
    for (size_t i = 0; i + keep < kept.size(); ++i)
        std::filesystem::remove(folder + "/" + kept[i], error);
    return path;
}

std::vector<std::string> KeptReplays(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        std::error_code typeError;
        if (HasStamp(name) && EndsWith(name, kReplayExtension) && entry.is_regular_file(typeError))
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace ZapModule
