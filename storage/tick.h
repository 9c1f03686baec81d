// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// tick.ko: the speed setting, one line of text such as " 8000 " and a line end.

#include <cstdint>
#include <string>
#include <vector>

namespace ZapModule {

inline constexpr char kTickFile[] = "tick.ko";
constexpr int16_t kDefaultTick = 8000;
constexpr int16_t kMinTick = 1;
constexpr int16_t kMaxTick = 10000;

struct TickRead {
    enum class Kind { InRange, NoNumber, Clamped };
    Kind Status = Kind::NoNumber;
    int16_t Value = kDefaultTick;  // what the game uses
    std::string Number;            // the number as written, when there is one
    std::string Problem;           // in Czech, unless InRange: "tick.ko: … hra použije 8000"
};
// The number at the start of the first line (blanks skipped, up to the first character that
// cannot continue it), rounded to the nearest integer with ties to even and held to 1...10000;
// no number gives the default 8000.
TickRead ReadTick(const std::vector<uint8_t>& bytes);
inline int16_t ParseTick(const std::vector<uint8_t>& bytes) {
    return ReadTick(bytes).Value;
}
// A blank (or the minus sign), the number, a blank, CR LF.
std::vector<uint8_t> FormatTick(int16_t value);

}  // namespace ZapModule
