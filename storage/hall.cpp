// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/hall.h"

#include "storage/byte_io.h"
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

}  // namespace ZapModule
