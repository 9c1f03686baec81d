// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The replay file: everything a game depends on besides the data folder (the random seed, the
// roster and the hall of fame as the game began, the player, Tick, the sound switch) and every
// input the game screen delivered to the rules, each with the number of game steps performed
// before it. A small versioned text format, described in HACKING.md:
//
//   ZAPWALL-REPLAY 1
//   header lines: "KEYWORD VALUES"
//   one input a line: "STEP MILLIS keydown CODE", "STEP MILLIS keyup CODE", "STEP MILLIS click X Y"
//   end STEP MILLIS quit|gameover|closed|cut
//   checksum HEX
//
// The checksum (FNV-1a 64 of every byte before its line) makes a damaged file certain to be
// refused instead of replaying a different game.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/state.h"

namespace ZapModule {

inline constexpr std::string_view kReplayMagic = "ZAPWALL-REPLAY";
inline constexpr int kReplayVersion = 1;
inline constexpr std::string_view kReplayExtension = ".zapwall-replay";
// Far more than the longest game records (an hour of held keys is about 3 MiB).
constexpr size_t kMaxReplayFileSize = 64u << 20;
// The longest line a replay can need: a roster line whose name has as many characters as
// players.ko can store (32767), each written as a %XX code.
constexpr size_t kMaxReplayLineBytes = 3 * 32767 + 64;
// Far more inputs than any game gets (an hour of held keys gives about 150 000), so that a
// recording costs at most 64 MiB of memory.
constexpr size_t kMaxReplayInputs = size_t{1} << 21;
// The longest game a recording may claim, in milliseconds: a year.
constexpr int64_t kMaxReplayMillis = int64_t{366} * 24 * 3600 * 1000;
// The most steps a recording may claim, whatever its length: at the default Tick 8000 over four
// days of play without a pause, at Tick 1 (where a desktop step costs a few hundred µs of drawing
// and showing) hours of it. Replaying them costs the tools at most about 15 s of CPU natively and
// 30 s under node, twice that with --check-every; a recording of a game left to run for longer
// than that would take them hours, and is refused at once instead.
constexpr int64_t kMaxReplaySteps = 40'000'000;
constexpr int16_t kMinReplayTick = 1;

enum class ReplayInput : uint8_t { KeyDown, KeyUp, Click };

struct ReplayEvent {
    int64_t Step = 0;    // game steps performed before the input was delivered
    int64_t Millis = 0;  // milliseconds since the game screen was shown (for watching only)
    ReplayInput What = ReplayInput::KeyDown;
    int32_t A = 0;  // the key code, or x of the click
    int32_t B = 0;  // y of the click

    bool operator==(const ReplayEvent&) const = default;
};

// How the game ended: the quit's countdown, the game over, or the game screen closed from outside
// (its close box) at a point between two steps; or the recording was cut short (the program was
// killed) after its last input, where its watching ends as at a close.
enum class ReplayEnd : uint8_t { Quit, GameOver, Closed, Cut };
// Whether a game that ends so ends between two steps, not by the rules.
constexpr bool EndsBetweenSteps(ReplayEnd end) {
    return end == ReplayEnd::Closed || end == ReplayEnd::Cut;
}

struct Replay {
    std::string Recorded;  // local date and time of the start, "2026-12-07 23:40:12"
    uint32_t Seed = 0;
    int16_t Tick = 8000;
    bool Sound = true;
    uint64_t LevelsHash = 0;        // FNV-1a 64 of levels.ko
    uint64_t AnimationsHash = 0;    // FNV-1a 64 of animations.ko
    int16_t WallPictureHeight = 0;  // the wall's picture height, where its growth stops
    int16_t Current = -1;           // the player's line in Roster; -1 for a player outside it
    PlayerRecord Player;            // the player's name and progress as the game began
    std::vector<PlayerRecord> Roster;
    HallTable Hall = DefaultHallTable();
    std::vector<ReplayEvent> Events;
    int64_t EndStep = 0;
    int64_t EndMillis = 0;
    ReplayEnd End = ReplayEnd::Closed;
};

struct ReplayParse {
    std::optional<Replay> Read;  // empty when the text is refused
    std::string Problem;         // why it was refused: "line N: ..." or what is missing
};

uint64_t Fnv1a64(const void* data, size_t size);
inline uint64_t Fnv1a64(const std::vector<uint8_t>& bytes) {
    return Fnv1a64(bytes.data(), bytes.size());
}

// The file's text, checksum included.
std::string ReplayText(const Replay& replay);
// Its parts: the header lines (everything before the inputs), one input's line, and the end and
// checksum lines that close a text of the header and the inputs.
std::string ReplayHeadText(const Replay& replay);
std::string ReplayInputLine(const ReplayEvent& e);
void EndReplayText(std::string& text, int64_t endStep, int64_t endMillis, ReplayEnd end);
// Reads a replay file's text. A foreign file, another version, a damaged or inconsistent file is
// refused with the reason, in Czech ("řádek 4: 0 je mimo rozsah 1 až 10000"). The text is read
// line by line, twice (the checksum first), with no line longer than kMaxReplayLineBytes, and a
// game is held to what its length allows: at most MaxReplaySteps steps (and kMaxReplaySteps),
// MaxReplayInputs inputs, kMaxReplayMillis milliseconds. So reading costs time and memory in
// proportion to the text.
ReplayParse ParseReplay(std::string_view text);
// Reads the replay file at `path` as ParseReplay reads its text, without ever holding the whole
// file: a file that is missing, unreadable, no regular file or over kMaxReplayFileSize is refused
// with the reason, as every data file is.
ReplayParse ReadReplayFile(const std::string& path);

// The most steps a game of `millis` milliseconds can have run at this Tick (the game steps at
// most once every Tick passes of 1.25 µs; a second and twice the pace are allowed besides).
int64_t MaxReplaySteps(int64_t millis, int16_t tick);
// The most inputs a game ending after `endStep` steps and `endMillis` milliseconds can hold.
size_t MaxReplayInputs(int64_t endStep, int64_t endMillis);

// The keyword of an end, and back.
std::string_view ReplayEndName(ReplayEnd end);

}  // namespace ZapModule
