// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/tick.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <string_view>

#include "platform/number_text.h"
#include "values/rounding.h"

namespace ZapModule {

namespace {

// Exponents beyond this give infinity or zero whatever the digits; capping them keeps the
// number's text short.
constexpr int kExponentCap = 99999;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

size_t SkipDigits(std::string_view text, size_t i) {
    while (i < text.size() && IsDigit(text[i])) ++i;
    return i;
}

// The number at the start of `line`: [blanks] [sign] digits [. digits] [e|E [sign] digits],
// with at least one digit before or after the point. Sets `written` to its text.
std::optional<double> LeadingNumber(std::string_view line, std::string& written) {
    size_t i = 0;
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    const size_t start = i;
    const bool negative = i < line.size() && line[i] == '-';
    if (i < line.size() && (line[i] == '-' || line[i] == '+')) ++i;
    const size_t integerStart = i;
    i = SkipDigits(line, i);
    std::string_view integer = line.substr(integerStart, i - integerStart);
    std::string_view fraction;
    if (i < line.size() && line[i] == '.') {
        const size_t fractionStart = i + 1;
        i = SkipDigits(line, fractionStart);
        fraction = line.substr(fractionStart, i - fractionStart);
    }
    if (integer.empty() && fraction.empty()) return std::nullopt;
    int exponent = 0;
    if (i < line.size() && (line[i] == 'e' || line[i] == 'E')) {
        size_t j = i + 1;
        const bool exponentNegative = j < line.size() && line[j] == '-';
        if (j < line.size() && (line[j] == '-' || line[j] == '+')) ++j;
        if (j < line.size() && IsDigit(line[j])) {
            for (; j < line.size() && IsDigit(line[j]); ++j) {
                exponent = std::min(kExponentCap, exponent * 10 + (line[j] - '0'));
            }
            if (exponentNegative) exponent = -exponent;
            i = j;
        }
    }
    written = std::string(line.substr(start, i - start));

    std::string plain = std::string(integer.empty() ? "0" : integer);
    if (!fraction.empty()) plain += "." + std::string(fraction);
    plain += "e" + std::to_string(exponent);
    // Where the platform reads a subnormal result as out of range, it only rounds to 0 a tick
    // sooner: every such value ends as the smallest tick either way.
    double value = 0;
    const auto [end, error] = FloatFromChars(plain.data(), plain.data() + plain.size(), value);
    if (error == std::errc::result_out_of_range) value = exponent < 0 ? 0.0 : HUGE_VAL;
    return negative ? -value : value;
}

std::string TickProblem(const TickRead& tick) {
    const std::string uses = ", hra použije " + std::to_string(tick.Value);
    switch (tick.Status) {
        case TickRead::Kind::NoNumber:
            return std::string(kTickFile) + ": první řádek nezačíná číslem" + uses;
        case TickRead::Kind::Clamped:
            return std::string(kTickFile) + ": " + tick.Number + " je mimo rozsah " +
                   std::to_string(kMinTick) + " až " + std::to_string(kMaxTick) + uses;
        case TickRead::Kind::InRange:
            break;
    }
    return {};
}

}  // namespace

TickRead ReadTick(const std::vector<uint8_t>& bytes) {
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    const std::string_view line = text.substr(0, text.find_first_of("\r\n"));
    TickRead result;
    const std::optional<double> number = LeadingNumber(line, result.Number);
    if (!number) {
        result.Problem = TickProblem(result);
        return result;
    }
    const int32_t rounded = RoundToInt32(*number);
    result.Value = static_cast<int16_t>(std::clamp<int32_t>(rounded, kMinTick, kMaxTick));
    result.Status = result.Value == rounded ? TickRead::Kind::InRange : TickRead::Kind::Clamped;
    result.Problem = TickProblem(result);
    return result;
}

std::vector<uint8_t> FormatTick(int16_t value) {
    // A non-negative number is written with a blank in the place of its sign.
    const std::string text = (value >= 0 ? " " : "") + std::to_string(value) + " \r\n";
    return std::vector<uint8_t>(text.begin(), text.end());
}

}  // namespace ZapModule
