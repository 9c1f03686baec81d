// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/roster.h"

#include <algorithm>

#include "storage/byte_io.h"
#include "storage/name_codes.h"

namespace ZapModule {

namespace {

// The count is stored as the highest index, a 16-bit value.
constexpr size_t kMaxPlayers = 32768;

std::string RosterProblem(const std::string& text) {
    return std::string(kRosterFile) + ": " + text;
}

// One record; false with the problem named when it is not complete.
bool ReadPlayer(ByteReader& in, PlayerRecord& player, std::string& problem) {
    NameRead name = ReadName(in);
    if (name.Status == NameStatus::Ok && !in.Has(3)) name.Status = NameStatus::CutShort;
    if (name.Status != NameStatus::Ok) {
        problem = NameProblem(name);
        return false;
    }
    player.Name = name.Name;
    player.SpareBalls = in.Read16();
    player.Iq = in.Read16();
    player.Level = in.Read16();
    return true;
}

void AppendPlayer(std::vector<uint8_t>& out, const PlayerRecord& player) {
    AppendName(out, player.Name);
    Append16(out, player.SpareBalls);
    Append16(out, Saturate16(player.Iq));
    Append16(out, Saturate16(player.Level));
}

}  // namespace

RosterRead ParseRoster(const std::vector<uint8_t>& bytes) {
    RosterRead result;
    if (bytes.empty()) return result;
    ByteReader in(bytes);
    if (!in.Has(1)) {
        result.Problem = RosterProblem("soubor končí uprostřed počtu hráčů");
        return result;
    }
    const int highest = in.Read16();
    if (highest < -1) {
        result.Problem = RosterProblem("počet hráčů je " + std::to_string(highest + 1));
        return result;
    }
    // Records are added as they are read, so a count the file cannot hold allocates nothing.
    for (int i = 0; i <= highest; ++i) {
        PlayerRecord player;
        std::string problem;
        if (!ReadPlayer(in, player, problem)) {
            result.Problem = RosterProblem("hráč " + std::to_string(i + 1) + "/" +
                                           std::to_string(highest + 1) + ": " + problem);
            return result;
        }
        result.Players.push_back(std::move(player));
    }
    // The game always writes the whole file anew, so bytes after the last player mean that the
    // count itself was damaged.
    if (in.Remaining() > 0) {
        result.Problem = RosterProblem("za posledním hráčem následují další bajty (" +
                                       std::to_string(in.Remaining()) + ")");
    }
    return result;
}

std::vector<uint8_t> SerializeRoster(const std::vector<PlayerRecord>& players) {
    const size_t count = std::min(players.size(), kMaxPlayers);
    std::vector<uint8_t> out;
    Append16(out, static_cast<int16_t>(static_cast<int>(count) - 1));
    for (size_t i = 0; i < count; ++i) AppendPlayer(out, players[i]);
    return out;
}

}  // namespace ZapModule
