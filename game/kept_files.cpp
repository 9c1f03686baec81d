// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/kept_files.h"

#include <utility>

#include "game/file_notices.h"
#include "model/hidden_names.h"
#include "ports/window_port.h"
#include "storage/data_files.h"
#include "storage/hall.h"
#include "storage/roster.h"
#include "storage/tick.h"

namespace ZapModule {

void LoadRoster(GameState& s) {
    s.Players = ReadKeptFile<RosterRead>(s, kRosterFile, ParseRoster).Players;
    if (s.Window) {
        for (const PlayerRecord& player : s.Players) s.Window->AppendPlayerLine(player.Name);
    }
}

bool SaveRoster(GameState& s) {
    const bool saved = s.Files && s.Files->Write(kRosterFile, SerializeRoster(s.Players));
    if (!saved) ReportFailedSave(s, kRosterFile);
    return saved;
}

void StoreCurrentPlayer(GameState& s) {
    if (s.CurrentPlayer < 0 || static_cast<size_t>(s.CurrentPlayer) >= s.Players.size()) return;
    PlayerRecord& player = s.Players[static_cast<size_t>(s.CurrentPlayer)];
    player.Iq = s.Iq;
    player.SpareBalls = s.BallsLeft;
    player.Level = s.Level;
}

void DeletePlayer(GameState& s, int16_t index) {
    if (index >= 0 && static_cast<size_t>(index) < s.Players.size()) {
        // The roster keeps its order: the players after the deleted one move up, as in List1.
        s.Players.erase(s.Players.begin() + index);
        if (s.Window) s.Window->RemovePlayerLine(index);
    }
    s.CurrentPlayer = -1;
}

void LoadHallOfFame(GameState& s) {
    s.Hall = ReadKeptFile<HallRead>(s, kHallFile, ParseHall).Table;
    if (s.Window) s.Window->HallOfFameChanged();
}

bool SaveHallOfFame(GameState& s) {
    bool saved = false;
    if (s.Files) {
        const std::vector<uint8_t> old = s.Files->Read(kHallFile).value_or(std::vector<uint8_t>{});
        saved = s.Files->Write(kHallFile, SerializeHall(s.Hall, old));
    }
    if (!saved) ReportFailedSave(s, kHallFile);
    return saved;
}

void EnterHallOfFame(GameState& s) {
    if (IsHiddenModeName(s.PlayerName)) return;
    for (size_t rank = 0; rank < s.Hall.size(); ++rank) {
        if (s.Hall[rank].Score > s.Iq) continue;
        // Inserted, not replaced: the entries from this rank down move one place down and only
        // the tenth drops out, so no earned result but the lowest is lost.
        for (size_t below = s.Hall.size() - 1; below > rank; --below) {
            s.Hall[below] = std::move(s.Hall[below - 1]);
        }
        s.Hall[rank] = HallEntry{s.PlayerName, s.Iq};
        if (s.Window) s.Window->HallOfFameChanged();
        SaveHallOfFame(s);
        return;
    }
}

int16_t LoadTick(GameState& s) {
    // The problem says which value the game uses, so no part of the file is said to be used.
    return ReadKeptFile<TickRead>(s, kTickFile, ReadTick, "").Value;
}

bool SaveTick(GameState& s, int16_t value) {
    const bool saved = s.Files && s.Files->Write(kTickFile, FormatTick(value));
    if (!saved) ReportFailedSave(s, kTickFile);
    return saved;
}

}  // namespace ZapModule
