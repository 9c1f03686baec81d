// SPDX-License-Identifier: GPL-3.0-or-later
#include "graphics/animations.h"

#include <algorithm>
#include <cstddef>
#include <limits>
#include <optional>
#include <string>
#include <utility>

#include "graphics/sprites.h"
#include "platform/file_reading.h"
#include "storage/file_problems.h"
#include "values/data_limits.h"

namespace ZapModule {

namespace {

const std::string kFileName = "animations.ko";
constexpr size_t kNumbersPerRecord = 5;
// Record 1 is the explosion, so a table needs at least records 0 and 1.
constexpr size_t kMinRecords = 2;
// AnimationCount is 16-bit.
constexpr size_t kMaxRecords = std::numeric_limits<int16_t>::max();
// A damaged file may have a fault on every line; the message lists the first few.
constexpr size_t kMaxListedProblems = 10;
// Digits beyond 16 bits only need to show the value is out of range; stop growing it there.
constexpr int64_t kValueCap = 1'000'000;

// Collects the problems, naming the file in each, and stops listing after the first few.
class ProblemList {
  public:
    void Add(const std::string& text) {
        if (problems_.size() < kMaxListedProblems) {
            problems_.push_back(kFileName + ": " + text);
        } else if (problems_.size() == kMaxListedProblems) {
            problems_.push_back(kFileName + ": další chyby se neuvádějí");
        }
    }
    size_t Count() const { return problems_.size(); }
    std::vector<std::string> Take() { return std::move(problems_); }

  private:
    std::vector<std::string> problems_;
};

bool IsBlank(uint8_t c) {
    return c == ' ' || c == '\t';
}
bool IsLineEnd(uint8_t c) {
    return c == '\r' || c == '\n';
}

std::string LineText(int line) {
    return "řádek " + std::to_string(line);
}

// A short, printable quotation of junk for a message (the file is not UTF-8 text).
std::string Quote(const uint8_t* begin, const uint8_t* end) {
    constexpr ptrdiff_t kMaxQuoted = 20;
    std::string text = "\"";
    for (const uint8_t* p = begin; p != end && p - begin < kMaxQuoted; ++p)
        text += (*p >= 0x20 && *p < 0x7F) ? static_cast<char>(*p) : '?';
    if (end - begin > kMaxQuoted) text += "...";
    return text + "\"";
}

// The value of a decimal number with an optional sign and fraction, taken to the nearest integer
// with ties to even as every number the game reads ("2.5" is 2, "3.5" is 4); nothing when the
// text is anything else. Values far outside 16 bits are capped, which keeps them outside.
std::optional<int64_t> ParseInteger(const uint8_t* first, const uint8_t* last) {
    const bool negative = first != last && *first == '-';
    if (first != last && (*first == '-' || *first == '+')) ++first;
    const auto isDigit = [](uint8_t c) { return c >= '0' && c <= '9'; };
    const uint8_t* point = std::find(first, last, '.');
    const uint8_t* fraction = point == last ? last : point + 1;
    if (point == first && fraction == last) return std::nullopt;  // no digit at all
    if (!std::all_of(first, point, isDigit) || !std::all_of(fraction, last, isDigit))
        return std::nullopt;
    int64_t value = 0;
    for (const uint8_t* p = first; p != point; ++p)
        value = std::min(value * 10 + (*p - '0'), kValueCap);
    // The fraction decides by its digits alone, so no binary rounding can move a tie.
    if (fraction != last) {
        const int firstDigit = *fraction - '0';
        const bool aboveHalf = std::any_of(fraction + 1, last, [](uint8_t c) { return c != '0'; });
        if (firstDigit > 5 || (firstDigit == 5 && (aboveHalf || value % 2 == 1)))
            value = std::min(value + 1, kValueCap);
    }
    return negative ? -value : value;
}

// One number of the file: its place among all numbers, its line and its value.
struct Number {
    size_t Index;
    int Line;
    int32_t Value;
};

// Reads the numbers of the file, which are separated by commas or line ends, with blanks around
// them ignored; one line end may close the file. Calls take(number) for every number that is a
// decimal 16-bit value and adds a problem for every field that is not. Returns how many fields
// the file holds.
template <typename Take>
size_t ReadNumbers(const std::vector<uint8_t>& bytes, ProblemList& problems, Take take) {
    const uint8_t* const data = bytes.data();
    size_t end = bytes.size();
    if (end >= 2 && data[end - 2] == '\r' && data[end - 1] == '\n') {
        end -= 2;
    } else if (end >= 1 && IsLineEnd(data[end - 1])) {
        end -= 1;
    }
    if (end == 0) return 0;

    size_t fields = 0;
    size_t pos = 0;
    int line = 1;
    bool afterLineEnd = false;
    while (true) {
        size_t stop = pos;
        while (stop < end && data[stop] != ',' && !IsLineEnd(data[stop])) ++stop;
        size_t first = pos, last = stop;
        while (first < last && IsBlank(data[first])) ++first;
        while (last > first && IsBlank(data[last - 1])) --last;

        if (first == last) {
            size_t rest = stop;
            while (rest < end && (IsBlank(data[rest]) || IsLineEnd(data[rest]))) ++rest;
            if (rest == end && afterLineEnd) {
                problems.Add(LineText(line) + ": prázdné řádky za posledním záznamem");
                return fields;
            }
            problems.Add(LineText(line) + ": chybí číslo");
        } else if (const auto value = ParseInteger(data + first, data + last); !value) {
            problems.Add(LineText(line) + ": " + Quote(data + first, data + last) + " není číslo");
        } else if (*value < std::numeric_limits<int16_t>::min() ||
                   *value > std::numeric_limits<int16_t>::max()) {
            problems.Add(LineText(line) + ": " + Quote(data + first, data + last) +
                         " je mimo rozsah -32768 až 32767");
        } else {
            take(Number{fields, line, static_cast<int32_t>(*value)});
        }
        ++fields;

        if (stop == end) return fields;
        afterLineEnd = IsLineEnd(data[stop]);
        if (afterLineEnd) ++line;
        pos =
            (data[stop] == '\r' && stop + 1 < end && data[stop + 1] == '\n') ? stop + 2 : stop + 1;
    }
}

}  // namespace

std::vector<std::string> CheckAnimationFile(const std::vector<uint8_t>& bytes) {
    ProblemList problems;
    if (bytes.size() > kMaxAnimationFileBytes) {
        problems.Add("soubor je příliš velký: " + SizeText(bytes.size()) + ", nejvýše " +
                     SizeText(kMaxAnimationFileBytes));
        return problems.Take();
    }
    int lastRecordLine = 1;
    const size_t fields = ReadNumbers(bytes, problems, [&](const Number& n) {
        if (n.Index % kNumbersPerRecord != 0) return;
        lastRecordLine = n.Line;
        if (n.Value < 1 || n.Value > kSpriteCount) {
            problems.Add("záznam " + std::to_string(n.Index / kNumbersPerRecord) + " (" +
                         LineText(n.Line) + "): číslo obrázku " + std::to_string(n.Value) +
                         " není mezi 1 a " + std::to_string(kSpriteCount));
        }
    });
    // A missing or unreadable number shifts every record after it; counting records then would
    // only repeat the same fault.
    if (problems.Count() > 0) return problems.Take();
    const size_t records = fields / kNumbersPerRecord;
    if (fields % kNumbersPerRecord != 0) {
        problems.Add("záznam " + std::to_string(records) + " (" + LineText(lastRecordLine) +
                     ") je neúplný: má jen " + std::to_string(fields % kNumbersPerRecord) + " z " +
                     std::to_string(kNumbersPerRecord) + " čísel");
    }
    if (records < kMinRecords) {
        problems.Add("tabulka má úplných záznamů " + std::to_string(records) +
                     ", potřebuje aspoň " + std::to_string(kMinRecords) + " (záznam 1 je výbuch)");
    } else if (records > kMaxRecords) {
        problems.Add("tabulka má záznamů " + std::to_string(records) + ", nejvýše smí mít " +
                     std::to_string(kMaxRecords));
    }
    return problems.Take();
}

void LoadAnimations(GameState& s, const std::vector<uint8_t>& bytes) {
    s.Animations.clear();
    if (!CheckAnimationFile(bytes).empty()) return;
    ProblemList unused;
    AnimationRecord record;
    ReadNumbers(bytes, unused, [&](const Number& n) {
        const auto value = static_cast<int16_t>(n.Value);
        switch (n.Index % kNumbersPerRecord) {
            case 0:
                record.Sprite = static_cast<int16_t>(value - 1);  // the file counts sheets from 1
                break;
            case 1:
                record.Frames = value;
                break;
            case 2:
                record.FrameWidth = value;
                break;
            case 3:
                record.FrameHeight = value;
                break;
            case 4:
                record.FrameSteps = value;
                s.Animations.push_back(record);
                break;
        }
    });
}

}  // namespace ZapModule
