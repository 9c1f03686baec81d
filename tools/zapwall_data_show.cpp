// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/zapwall_data_show.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string_view>

#include "graphics/animations.h"
#include "model/state.h"
#include "storage/byte_io.h"
#include "storage/cp1250.h"
#include "storage/hall.h"
#include "storage/level_file.h"
#include "storage/roster.h"
#include "storage/tick.h"

namespace ZapModule {

namespace {

// What a damaged hall of fame holds from its problem on.
constexpr std::string_view kDefaultsNote = "the entries from there on are the design defaults\n";

std::string Plural(size_t count, const std::string& word) {
    return std::to_string(count) + " " + word + (count == 1 ? "" : "s");
}

std::string Lines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
}

ShownFile ShowRoster(const std::vector<uint8_t>& bytes) {
    const RosterRead read = ParseRoster(bytes);
    ShownFile shown;
    shown.Text = "players.ko: " + Plural(read.Players.size(), "player") + "\n";
    for (size_t i = 0; i < read.Players.size(); ++i) {
        const PlayerRecord& p = read.Players[i];
        shown.Text += std::to_string(i + 1) + ". " + Quoted(p.Name) + "  IQ " +
                      std::to_string(p.Iq) + "  level " + std::to_string(p.Level) + " (shown as " +
                      std::to_string(p.Level + 1) + ")  balls " + std::to_string(p.SpareBalls) +
                      "\n";
    }
    if (!read.Problem.empty()) shown.Text += read.Problem + "\n";
    shown.Damaged = !read.Problem.empty();
    return shown;
}

ShownFile ShowHall(const std::vector<uint8_t>& bytes) {
    const HallRead read = ParseHall(bytes);
    ShownFile shown;
    for (size_t i = 0; i < read.Table.size(); ++i) {
        shown.Text += std::to_string(i + 1) + ". " + Quoted(read.Table[i].Name) + "  " +
                      std::to_string(read.Table[i].Score) + "\n";
    }
    if (!read.Problem.empty()) {
        // The problem is Czech, as the game gives it; the tool's own words go on a line of their
        // own.
        shown.Text += read.Problem + "\n";
        shown.Text += kDefaultsNote;
    } else if (read.TailBytes > 0) {
        shown.Text += "hall.ko: " + Plural(read.TailBytes, "byte") +
                      " after the ten entries (never read, kept by every save)\n";
    }
    shown.Damaged = !read.Problem.empty();
    return shown;
}

ShownFile ShowTick(const std::vector<uint8_t>& bytes) {
    const TickRead read = ReadTick(bytes);
    ShownFile shown;
    switch (read.Status) {
        case TickRead::Kind::InRange:
            shown.Text = "tick.ko: " + std::to_string(read.Value) + "\n";
            break;
        case TickRead::Kind::NoNumber:
            shown.Text = "tick.ko: no number (the game uses " + std::to_string(read.Value) + ")\n";
            shown.Damaged = true;
            break;
        case TickRead::Kind::Clamped:
            shown.Text =
                "tick.ko: " + read.Number + " (the game uses " + std::to_string(read.Value) + ")\n";
            shown.Damaged = true;
            break;
    }
    return shown;
}

ShownFile ShowAnimations(const std::vector<uint8_t>& bytes) {
    const std::vector<std::string> problems = CheckAnimationFile(bytes);
    if (!problems.empty()) return {Lines(problems), true};
    GameState s;
    LoadAnimations(s, bytes);
    std::string text = "animations.ko: " + Plural(s.Animations.size(), "animation") + "\n";
    for (size_t kind = 0; kind < s.Animations.size(); ++kind) {
        const AnimationRecord& a = s.Animations[kind];
        text += "kind " + std::to_string(kind) + ": sheet " + std::to_string(a.Sprite + 1) + ", " +
                Plural(static_cast<size_t>(std::max<int16_t>(a.Frames, 0)), "frame") + " of " +
                std::to_string(a.FrameWidth) + " x " + std::to_string(a.FrameHeight) + ", " +
                std::to_string(a.FrameSteps) + " steps each\n";
    }
    return {text, false};
}

ShownFile ShowLevels(const std::vector<uint8_t>& bytes) {
    const std::vector<std::string> problems = CheckLevelFile(bytes);
    if (!problems.empty()) return {Lines(problems), true};
    ByteReader in(bytes);
    const int16_t count = in.Read16();
    std::string text = "levels.ko: " + Plural(static_cast<size_t>(count), "level") + "\n";
    for (int level = 1; level <= count; ++level) {
        const int16_t bricks = in.Read16();
        text += "level " + std::to_string(level) + ": " +
                Plural(static_cast<size_t>(bricks), "brick") + "\n";
        text += "      X     Y  points picture  type bonus\n";
        for (int b = 0; b < bricks; ++b) {
            std::array<char, 64> row{};
            std::array<int, 6> v{};
            for (int& value : v) value = in.Read16();
            std::snprintf(row.data(), row.size(), "  %5d %5d %7d %7d %5d %5d\n", v[0], v[1], v[2],
                          v[3], v[4], v[5]);
            text += row.data();
        }
    }
    if (in.Remaining() > 0) {
        text +=
            "levels.ko: " + Plural(in.Remaining(), "byte") + " after the last level (never read)\n";
    }
    return {text, false};
}

}  // namespace

std::string Escaped(const std::string& utf8) {
    std::string text;
    for (size_t i = 0; i < utf8.size();) {
        const size_t start = i;
        const char32_t c = NextUtf8(utf8, i);
        // The bidirectional marks, embeddings, overrides and isolates reorder what follows them.
        const bool reorders = c == 0x061C || c == 0x200E || c == 0x200F ||
                              (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
        std::array<char, 8> escape{};
        if (c < 0x20 || c == 0x7F) {
            std::snprintf(escape.data(), escape.size(), "\\x%02X", static_cast<unsigned>(c));
            text += escape.data();
        } else if ((c >= 0x80 && c <= 0x9F) || reorders) {
            std::snprintf(escape.data(), escape.size(), "\\u%04X", static_cast<unsigned>(c));
            text += escape.data();
        } else {
            if (c == '"' || c == '\\') text += '\\';
            text.append(utf8, start, i - start);
        }
    }
    return text;
}

std::string Quoted(const std::string& utf8) {
    return "\"" + Escaped(utf8) + "\"";
}

std::optional<std::string> DataFileKind(const std::string& path) {
    std::string name = path.substr(path.rfind('/') + 1);
    const std::string kept = ".damaged";
    if (name.size() > kept.size() && name.ends_with(kept)) name.resize(name.size() - kept.size());
    for (const char* kind : {kRosterFile, kHallFile, kTickFile, "animations.ko", "levels.ko"}) {
        if (name == kind) return name;
    }
    return std::nullopt;
}

ShownFile ShowDataFile(const std::string& kind, const std::vector<uint8_t>& bytes) {
    if (kind == kRosterFile) return ShowRoster(bytes);
    if (kind == kHallFile) return ShowHall(bytes);
    if (kind == kTickFile) return ShowTick(bytes);
    if (kind == "animations.ko") return ShowAnimations(bytes);
    return ShowLevels(bytes);
}

}  // namespace ZapModule
