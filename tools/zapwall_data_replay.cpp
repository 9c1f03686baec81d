// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/zapwall_data_replay.h"

#include <cstdio>

#include "game/input.h"
#include "storage/replay_file.h"

namespace ZapModule {

namespace {

std::string KeyName(int32_t code) {
    switch (code) {
        case kKeyEscape:
            return "Esc";
        case kKeySpace:
            return "Space";
        case kKeyUp:
            return "Up";
        case kKeyDown:
            return "Down";
        case kKeyP:
            return "P";
        default:
            return "key " + std::to_string(code);
    }
}

std::string Seconds(int64_t millis) {
    char text[32];
    std::snprintf(text, sizeof text, "%lld.%03lld s", static_cast<long long>(millis / 1000),
                  static_cast<long long>(millis % 1000));
    return text;
}

std::string Hex(uint64_t value) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
    return text;
}

std::string Progress(const PlayerRecord& p) {
    return Quoted(p.Name) + "  IQ " + std::to_string(p.Iq) + "  level " + std::to_string(p.Level) +
           " (shown as " + std::to_string(p.Level + 1) + ")  balls " + std::to_string(p.SpareBalls);
}

std::string InputText(const ReplayEvent& e) {
    switch (e.What) {
        case ReplayInput::KeyDown:
            return KeyName(e.A) + " down";
        case ReplayInput::KeyUp:
            return KeyName(e.A) + " up";
        case ReplayInput::Click:
            return "click at " + std::to_string(e.A) + ", " + std::to_string(e.B);
    }
    return {};
}

std::string EndText(ReplayEnd end) {
    switch (end) {
        case ReplayEnd::Quit:
            return "the player quit";
        case ReplayEnd::GameOver:
            return "game over";
        case ReplayEnd::Closed:
            return "the game screen was closed";
        case ReplayEnd::Cut:
            return "the recording was cut short";
    }
    return {};
}

}  // namespace

bool IsReplayPath(const std::string& path) {
    return path.size() > kReplayExtension.size() &&
           path.compare(path.size() - kReplayExtension.size(), kReplayExtension.size(),
                        kReplayExtension) == 0;
}

ShownFile ShowReplay(const ReplayParse& parsed) {
    ShownFile shown;
    if (!parsed.Read) {
        shown.Text = parsed.Problem + "\n";
        shown.Damaged = true;
        return shown;
    }
    const Replay& r = *parsed.Read;
    std::string& t = shown.Text;
    t += "replay (format " + std::to_string(kReplayVersion) + "), recorded " + Escaped(r.Recorded) +
         "\n";
    t += "player: " + Progress(r.Player) +
         (r.Current >= 0 ? "  (roster line " + std::to_string(r.Current + 1) + ")"
                         : "  (not in the roster)") +
         "\n";
    t += "tick " + std::to_string(r.Tick) + ", sounds " + (r.Sound ? "on" : "off") + ", seed " +
         std::to_string(r.Seed) + "\n";
    t += "levels.ko " + Hex(r.LevelsHash) + ", animations.ko " + Hex(r.AnimationsHash) +
         " (FNV-1a 64), wall picture height " + std::to_string(r.WallPictureHeight) + "\n";
    t += "roster as the game began: " + std::to_string(r.Roster.size()) + " players\n";
    for (size_t i = 0; i < r.Roster.size(); ++i)
        t += "  " + std::to_string(i + 1) + ". " + Progress(r.Roster[i]) + "\n";
    t += "hall of fame as the game began:\n";
    for (size_t i = 0; i < r.Hall.size(); ++i)
        t += "  " + std::to_string(i + 1) + ". " + Quoted(r.Hall[i].Name) + "  " +
             std::to_string(r.Hall[i].Score) + "\n";
    t += "inputs: " + std::to_string(r.Events.size()) + "\n";
    for (const ReplayEvent& e : r.Events)
        t += "  before step " + std::to_string(e.Step) + ", at " + Seconds(e.Millis) + ": " +
             InputText(e) + "\n";
    t += "end after step " + std::to_string(r.EndStep) + ", at " + Seconds(r.EndMillis) + ": " +
         EndText(r.End) + "\n";
    return shown;
}

}  // namespace ZapModule
