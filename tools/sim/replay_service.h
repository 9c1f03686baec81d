// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What zapwall-sim --serve and its caller say to each other. The caller hands the server one end
// of a SOCK_SEQPACKET socket pair as its standard input. A request is one message: the data
// folder, the player's folder and the replay file, each ended by a NUL, carrying three open
// files: where the game's standard output and standard error go, and the report, which gets one
// line once the game has ended: its wait status and the CPU time it took, in microseconds. The
// report closes without a line when the server could not play the game at all.

#include <charconv>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ZapModule {

inline constexpr size_t kMaxReplayRequestBytes = 16384;
inline constexpr int kReplayRequestFiles = 3;  // standard output, standard error, report

struct ReplayRequest {
    std::string DataFolder, UserFolder, Replay;
};

inline std::string ReplayRequestText(const ReplayRequest& request) {
    std::string text;
    for (const std::string* part : {&request.DataFolder, &request.UserFolder, &request.Replay})
        text.append(*part).push_back('\0');
    return text;
}

// The request in `text`, or nothing when it is not three NUL-ended non-empty paths.
inline std::optional<ReplayRequest> ParseReplayRequest(std::string_view text) {
    ReplayRequest request;
    for (std::string* part : {&request.DataFolder, &request.UserFolder, &request.Replay}) {
        const size_t end = text.find('\0');
        if (end == 0 || end == std::string_view::npos) return std::nullopt;
        part->assign(text.substr(0, end));
        text.remove_prefix(end + 1);
    }
    if (!text.empty()) return std::nullopt;
    return request;
}

struct ReplayReport {
    int WaitStatus = 0;
    int64_t CpuMicroseconds = 0;
};

inline std::string ReplayReportLine(const ReplayReport& report) {
    return std::to_string(report.WaitStatus) + " " + std::to_string(report.CpuMicroseconds) + "\n";
}

// The report in `line`, or nothing when the line is not one.
inline std::optional<ReplayReport> ParseReplayReport(std::string_view line) {
    ReplayReport report;
    const char* end = line.data() + line.size();
    auto [at, error] = std::from_chars(line.data(), end, report.WaitStatus);
    if (error != std::errc() || at == end || *at != ' ') return std::nullopt;
    auto [last, error2] = std::from_chars(at + 1, end, report.CpuMicroseconds);
    if (error2 != std::errc() || last + 1 != end || *last != '\n') return std::nullopt;
    return report;
}

}  // namespace ZapModule
