// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Names as players.ko and hall.ko store them: a 16-bit character count n, then n 16-bit codes,
// each the character's Windows-1250 code plus 2.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "storage/byte_io.h"

namespace ZapModule {

// The longest name a 16-bit count can announce; longer names are cut to it when written.
constexpr size_t kMaxNameLength = 32767;

void AppendName(std::vector<uint8_t>& out, std::string_view utf8);

enum class NameStatus { Ok, NegativeLength, CutShort, BadCode };
struct NameRead {
    NameStatus Status = NameStatus::Ok;
    int16_t Length = 0;  // the count as stored
    int16_t Code = 0;    // the first stored code that is no character, when BadCode
    std::string Name;    // UTF-8, when Ok
};
// Reads one name. The count is checked against the bytes left before anything is decoded, so a
// damaged count never allocates more than the file holds. A code that is not 2 to 257 is no
// character of the code page: the name is damaged (BadCode), since the game never writes one.
NameRead ReadName(ByteReader& in);
// What is wrong with a name that is not Ok, in Czech ("záporná délka jména -5"); the record's
// values after the name count as part of it, so "cut short" covers them too.
std::string NameProblem(const NameRead& name);

}  // namespace ZapModule
