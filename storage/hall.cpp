// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/hall.h"

#include "game/contract/hidden_names.h"
#include "game/contract/window_port.h"
#include "storage/byte_io.h"
#include "storage/data_files.h"
#include "storage/file_reports.h"
#include "storage/name_codes.h"

namespace ZapModule {

namespace {

// One entry; false with the problem named when it is not complete.
bool ReadEntry(ByteReader& in, HallEntry& entry, std::string& problem) {
    NameRead name = ReadName(in);
    if (name.Status == NameStatus::Ok && !in.Has(1)) name.Status = NameStatus::CutShort;
    if (name.Status != NameStatus::Ok) {
        problem = NameProblem(name);
        return false;
    }
    entry.Name = name.Name;
    entry.Score = in.Read16();
    return true;
}

void AppendEntry(std::vector<uint8_t>& out, const HallEntry& entry) {
    AppendName(out, entry.Name);
    Append16(out, Saturate16(entry.Score));
}

}  // namespace

HallRead ParseHall(const std::vector<uint8_t>& bytes) {
    HallRead result;
    if (bytes.empty()) return result;
    ByteReader in(bytes);
    for (size_t i = 0; i < result.Table.size(); ++i) {
        HallEntry entry;
        std::string problem;
        if (!ReadEntry(in, entry, problem)) {
            result.Problem =
                std::string(kHallFile) + ": položka " + std::to_string(i + 1) + ": " + problem;
            return result;
        }
        result.Table[i] = std::move(entry);
    }
    result.TailBytes = in.Remaining();
    return result;
}

std::vector<uint8_t> SerializeHall(const HallTable& table, const std::vector<uint8_t>& oldBytes) {
    std::vector<uint8_t> out;
    for (const HallEntry& entry : table) AppendEntry(out, entry);
    if (oldBytes.size() > out.size())
        out.insert(out.end(), oldBytes.begin() + out.size(), oldBytes.end());
    return out;
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

}  // namespace ZapModule
