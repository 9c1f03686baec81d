// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/level_text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <map>
#include <optional>
#include <set>

#include "model/field_geometry.h"
#include "platform/file_reading.h"
#include "storage/byte_io.h"
#include "storage/file_problems.h"
#include "values/data_limits.h"

namespace ZapModule {

namespace {

// The text's grid: a character a field cell (model/field_geometry.h).
constexpr int kGridColumns = 25;
constexpr int kGridRows = 19;
constexpr size_t kMaxCount = 32767;  // level and brick counts are 16-bit
constexpr size_t kMaxErrors = 20;
constexpr size_t kCountBytes = 2;   // a count in the level file
constexpr size_t kBrickBytes = 12;  // a brick in the level file: six 16-bit values
// Every character a key may be, in the order the decompiler hands them out.
constexpr std::string_view kKeyCharacters =
    "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"
    "!\"$%&'()*+,-/:;<=>?@[\\]^_`{|}~";
constexpr size_t kTrailingBytesPerLine = 32;

// What a key stands for: every value of a brick but its place.
struct BrickKind {
    int16_t Points = 0, Picture = 0, Type = 0, Bonus = 0;
    // NOLINTNEXTLINE(modernize-use-nullptr): clang-tidy 14 misreads the defaulted comparison
    auto operator<=>(const BrickKind&) const = default;
};

// A brick as the file holds it: X, Y, Points, Picture, Type, Bonus.
using BrickValues = std::array<int16_t, 6>;

BrickValues MakeBrick(int x, int y, const BrickKind& kind) {
    return {static_cast<int16_t>(x),
            static_cast<int16_t>(y),
            kind.Points,
            kind.Picture,
            kind.Type,
            kind.Bonus};
}

BrickKind KindOf(const BrickValues& brick) {
    return {brick[2], brick[3], brick[4], brick[5]};
}

bool IsKeyCharacter(char c) {
    return c > ' ' && c < 127 && c != '.' && c != '#';
}
bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// The start of a line that could not be read, short enough for a message.
std::string Excerpt(std::string_view text) {
    constexpr size_t kLength = 40;
    return text.size() <= kLength ? std::string(text)
                                  : std::string(text.substr(0, kLength)) + "...";
}

std::vector<std::string_view> Words(std::string_view line) {
    std::vector<std::string_view> words;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && IsBlank(line[i])) ++i;
        const size_t start = i;
        while (i < line.size() && !IsBlank(line[i])) ++i;
        if (i > start) words.push_back(line.substr(start, i - start));
    }
    return words;
}

// A character quoted for a message, as hexadecimal when it is not printable.
std::string Quoted(char c) {
    static constexpr char kHex[] = "0123456789abcdef";
    const auto byte = static_cast<uint8_t>(c);
    if (byte > ' ' && byte < 127) return std::string("'") + c + "'";
    return std::string("byte ") + kHex[byte >> 4] + kHex[byte & 15];
}

class LevelCompiler {
  public:
    CompiledLevels Run(std::string_view text) {
        size_t start = 0;
        while (start < text.size() && result_.Errors.size() < kMaxErrors) {
            size_t end = text.find('\n', start);
            if (end == std::string_view::npos) end = text.size();
            std::string_view line = text.substr(start, end - start);
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            ++line_;
            Line(line);
            start = end + 1;
        }
        if (result_.Errors.size() >= kMaxErrors) {
            result_.Errors.push_back({0, "další chyby se neuvádějí"});
            return std::move(result_);
        }
        if (inGrid_) ErrorAt(gridLine_, "mřížka bez konce (chybí end)");
        FinishLevel();
        if (levels_.empty()) ErrorAt(0, "žádná úroveň");
        if (result_.Errors.empty()) Emit();
        // A level's own errors are found when it ends; the list reads in the order of the text.
        std::stable_sort(result_.Errors.begin(), result_.Errors.end(),
                         [](const LevelTextError& a, const LevelTextError& b) {
                             return (a.Line == 0 ? INT32_MAX : a.Line) <
                                    (b.Line == 0 ? INT32_MAX : b.Line);
                         });
        return std::move(result_);
    }

  private:
    struct Level {
        int Line = 0;
        std::string Title;
        std::vector<BrickValues> Bricks;
        size_t ErrorsBefore = 0;  // a level with errors of its own has no bricks because of them
    };

    void ErrorAt(int line, std::string text) { result_.Errors.push_back({line, std::move(text)}); }
    void Error(std::string text) { ErrorAt(line_, std::move(text)); }

    void Line(std::string_view line) {
        const std::vector<std::string_view> words = Words(line);
        if (words.empty() || words[0][0] == '#') return;
        if (inGrid_) {
            GridLine(words);
            return;
        }
        const std::string_view keyword = words[0];
        if (keyword == "key") {
            KeyLine(words);
        } else if (keyword == "level") {
            LevelLine(line.substr(line.find(keyword) + keyword.size()));
        } else if (keyword == "grid") {
            if (NeedsLevel("grid") && NothingAfter(words, 1)) {
                inGrid_ = true;
                gridLine_ = line_;
                gridRows_ = 0;
            }
        } else if (keyword == "brick") {
            BrickLine(words);
        } else if (keyword == "trailing") {
            TrailingLine(words);
        } else {
            Error("nelze přečíst '" + Excerpt(line.substr(line.find(keyword))) + "'");
        }
    }

    // Words after `count` are allowed only as a comment.
    bool NothingAfter(const std::vector<std::string_view>& words, size_t count) {
        if (words.size() <= count || words[count][0] == '#') return true;
        Error("nečekané '" + std::string(words[count]) + "'");
        return false;
    }

    bool NeedsLevel(const char* what) {
        if (!levels_.empty()) return true;
        Error(std::string(what) + " před první úrovní");
        return false;
    }

    std::optional<int16_t> Value(std::string_view word) {
        std::string_view digits = word;
        if (!digits.empty() && digits[0] == '+') digits.remove_prefix(1);
        int64_t value = 0;
        const auto [end, error] =
            std::from_chars(digits.data(), digits.data() + digits.size(), value);
        if (digits.empty() || digits[0] == '+' || end != digits.data() + digits.size() ||
            (error != std::errc() && error != std::errc::result_out_of_range)) {
            Error("'" + std::string(word) + "' není číslo");
            return std::nullopt;
        }
        if (error == std::errc::result_out_of_range || value < INT16_MIN || value > INT16_MAX) {
            Error("hodnota " + std::string(word) + " je mimo rozsah -32768 až 32767");
            return std::nullopt;
        }
        return static_cast<int16_t>(value);
    }

    void KeyLine(const std::vector<std::string_view>& words) {
        static constexpr std::array<std::string_view, 4> kFields = {
            "points=", "picture=", "type=", "bonus="};
        if (words.size() < 2 || words[1].size() != 1 || !IsKeyCharacter(words[1][0])) {
            Error("klíč je jeden tisknutelný znak kromě '.' a '#'");
            return;
        }
        std::array<int16_t, 4> values{};
        for (size_t f = 0; f < kFields.size(); ++f) {
            if (words.size() <= 2 + f || !words[2 + f].starts_with(kFields[f])) {
                Error("key potřebuje points=, picture=, type= a bonus=, v tomto pořadí");
                return;
            }
            const auto value = Value(words[2 + f].substr(kFields[f].size()));
            if (!value) return;
            values[f] = *value;
        }
        if (NothingAfter(words, 6))
            keys_[words[1][0]] = {values[0], values[1], values[2], values[3]};
    }

    // The title ends where a word starting with '#' begins a comment.
    static std::string Title(std::string_view rest) {
        for (size_t i = 0; i < rest.size(); ++i) {
            if (rest[i] == '#' && (i == 0 || IsBlank(rest[i - 1]))) {
                rest = rest.substr(0, i);
                break;
            }
        }
        const auto isEdge = [](char c) { return IsBlank(c) || c == '\r'; };
        while (!rest.empty() && isEdge(rest.front())) rest.remove_prefix(1);
        while (!rest.empty() && isEdge(rest.back())) rest.remove_suffix(1);
        return std::string(rest);
    }

    void LevelLine(std::string_view rest) {
        if (!trailing_.empty()) {
            Error("level po řádcích trailing");
            return;
        }
        FinishLevel();
        if (levels_.size() == kMaxCount) {
            Error("víc než 32767 úrovní");
            return;
        }
        Counted(kCountBytes);
        levels_.push_back({line_, Title(rest), {}, result_.Errors.size()});
    }

    void FinishLevel() {
        if (levels_.empty() || finished_ == levels_.size()) return;
        finished_ = levels_.size();
        const Level& level = levels_.back();
        // Past the size limit bricks are no longer kept: a level then only seems empty.
        if (level.Bricks.empty() && result_.Errors.size() == level.ErrorsBefore && !tooLarge_) {
            ErrorAt(level.Line, "úroveň bez cihel");
        }
        if (level.Bricks.size() > kMaxCount) ErrorAt(level.Line, "úroveň s víc než 32767 cihlami");
    }

    void BrickLine(const std::vector<std::string_view>& words) {
        if (!NeedsLevel("brick")) return;
        if (words.size() < 7) {
            Error("brick potřebuje X Y Points Picture Type Bonus");
            return;
        }
        BrickValues brick{};
        for (size_t v = 0; v < brick.size(); ++v) {
            const auto value = Value(words[1 + v]);
            if (!value) return;
            brick[v] = *value;
        }
        if (NothingAfter(words, 7)) AddBrick(brick);
    }

    // Counts `bytes` more of the level file; false once it is larger than the game reads, when
    // it is said once and nothing more is kept (a long text would otherwise hold far more).
    bool Counted(size_t bytes) {
        fileBytes_ += bytes;
        if (fileBytes_ <= kMaxLevelFileBytes) return true;
        if (!tooLarge_)
            ErrorAt(
                0, "sada by byla větší než " + SizeText(kMaxLevelFileBytes) + ", víc hra nepřečte");
        tooLarge_ = true;
        return false;
    }

    void AddBrick(const BrickValues& brick) {
        if (Counted(kBrickBytes)) levels_.back().Bricks.push_back(brick);
    }

    void TrailingLine(const std::vector<std::string_view>& words) {
        for (size_t w = 1; w < words.size() && words[w][0] != '#'; ++w) {
            uint8_t byte = 0;
            const std::string_view hex = words[w];
            const auto [end, error] =
                std::from_chars(hex.data(), hex.data() + hex.size(), byte, 16);
            if (hex.size() != 2 || error != std::errc() || end != hex.data() + hex.size()) {
                Error("'" + std::string(hex) + "' není bajt v šestnáctkové soustavě");
                return;
            }
            if (Counted(1)) trailing_.push_back(byte);
        }
    }

    void GridLine(const std::vector<std::string_view>& words) {
        if (words[0] == "end") {
            NothingAfter(words, 1);
            inGrid_ = false;
            return;
        }
        if (!NothingAfter(words, 1)) return;
        const std::string_view row = words[0];
        if (gridRows_ == kGridRows) {
            Error("mřížka má víc než 19 řádků");
            ++gridRows_;
            return;
        }
        if (gridRows_ > kGridRows) return;
        if (row.size() > static_cast<size_t>(kGridColumns)) {
            Error("řádek mřížky je delší než 25");
        } else {
            for (size_t column = 0; column < row.size(); ++column) {
                if (row[column] == '.') continue;
                const auto key = keys_.find(row[column]);
                if (key == keys_.end()) {
                    Error("neznámý klíč " + Quoted(row[column]));
                    break;
                }
                AddBrick(MakeBrick(static_cast<int>(column) * kCellWidth, gridRows_ * kCellHeight,
                                   key->second));
            }
        }
        ++gridRows_;
    }

    void Emit() {
        std::vector<uint8_t>& out = result_.Bytes;
        Append16(out, static_cast<int16_t>(levels_.size()));
        for (const Level& level : levels_) {
            result_.Titles.push_back(level.Title);
            Append16(out, static_cast<int16_t>(level.Bricks.size()));
            for (const BrickValues& brick : level.Bricks) {
                for (int16_t value : brick) Append16(out, value);
            }
        }
        out.insert(out.end(), trailing_.begin(), trailing_.end());
    }

    CompiledLevels result_;
    std::map<char, BrickKind> keys_;
    std::vector<Level> levels_;
    size_t finished_ = 0;
    std::vector<uint8_t> trailing_;
    bool inGrid_ = false;
    int gridLine_ = 0;
    int gridRows_ = 0;
    int line_ = 0;
    size_t fileBytes_ = kCountBytes;  // of the level file so far
    bool tooLarge_ = false;
};

// ---- Decompiling ----

std::optional<int> GridCell(const BrickValues& brick) {
    const int x = brick[0], y = brick[1];
    if (x < 0 || y < 0 || x % kCellWidth != 0 || y % kCellHeight != 0) return std::nullopt;
    const int column = x / kCellWidth, row = y / kCellHeight;
    if (column >= kGridColumns || row >= kGridRows) return std::nullopt;
    return row * kGridColumns + column;
}

// A stretch of a level's bricks written as one grid block or as brick lines.
struct Segment {
    bool Grid = false;
    size_t Begin = 0, End = 0;
};

// Bricks that lie on cells in reading order can be drawn as a grid, which lists its bricks in
// that order; a grid needs more than one brick to be worth it and no more kinds than there are
// key characters.
std::vector<Segment> Segments(const std::vector<BrickValues>& bricks) {
    std::vector<Segment> segments;
    size_t i = 0;
    while (i < bricks.size()) {
        size_t end = i;
        std::set<BrickKind> kinds;
        std::optional<int> previous;
        while (end < bricks.size()) {
            const std::optional<int> cell = GridCell(bricks[end]);
            if (!cell || (previous && *cell <= *previous)) break;
            kinds.insert(KindOf(bricks[end]));
            if (kinds.size() > kKeyCharacters.size()) break;
            previous = cell;
            ++end;
        }
        if (end - i >= 2) {
            segments.push_back({true, i, end});
            i = end;
        } else {
            if (!segments.empty() && !segments.back().Grid) {
                segments.back().End = i + 1;
            } else {
                segments.push_back({false, i, i + 1});
            }
            ++i;
        }
    }
    return segments;
}

std::string KeyLine(char key, const BrickKind& kind) {
    return "key " + std::string(1, key) + " points=" + std::to_string(kind.Points) +
           " picture=" + std::to_string(kind.Picture) + " type=" + std::to_string(kind.Type) +
           " bonus=" + std::to_string(kind.Bonus) + "\n";
}

// Hands out key characters to kinds; when all are taken, a key no longer needed by the grid at
// hand is defined anew.
class KeyBook {
  public:
    // The key lines that make every kind in `kinds` usable.
    std::string Define(const std::vector<BrickKind>& kinds) {
        std::string lines;
        const std::set<BrickKind> needed(kinds.begin(), kinds.end());
        for (const BrickKind& kind : kinds) {
            if (keyOf_.count(kind)) continue;
            char key = 0;
            if (next_ < kKeyCharacters.size()) {
                key = kKeyCharacters[next_++];
            } else {
                for (char candidate : kKeyCharacters) {
                    if (!needed.count(owner_[candidate])) {
                        key = candidate;
                        break;
                    }
                }
                keyOf_.erase(owner_[key]);
            }
            keyOf_[kind] = key;
            owner_[key] = kind;
            lines += KeyLine(key, kind);
        }
        return lines;
    }
    char KeyOf(const BrickKind& kind) const { return keyOf_.at(kind); }

  private:
    std::map<BrickKind, char> keyOf_;
    std::map<char, BrickKind> owner_;
    size_t next_ = 0;
};

std::vector<BrickKind> KindsOf(const std::vector<BrickValues>& bricks, const Segment& segment) {
    std::vector<BrickKind> kinds;
    std::set<BrickKind> seen;
    for (size_t i = segment.Begin; i < segment.End; ++i) {
        if (seen.insert(KindOf(bricks[i])).second) kinds.push_back(KindOf(bricks[i]));
    }
    return kinds;
}

std::string GridBlock(const std::vector<BrickValues>& bricks, const Segment& segment,
                      const KeyBook& keys) {
    std::vector<std::string> rows;
    for (size_t i = segment.Begin; i < segment.End; ++i) {
        const int cell = *GridCell(bricks[i]);
        const size_t row = static_cast<size_t>(cell / kGridColumns);
        if (rows.size() <= row) rows.resize(row + 1, std::string(kGridColumns, '.'));
        rows[row][static_cast<size_t>(cell % kGridColumns)] = keys.KeyOf(KindOf(bricks[i]));
    }
    std::string text = "grid\n";
    for (const std::string& row : rows) text += row + "\n";
    return text + "end\n";
}

std::string BrickLine(const BrickValues& brick) {
    std::string line = "brick";
    for (int16_t value : brick) line += " " + std::to_string(value);
    return line + "\n";
}

std::string TrailingLines(const std::vector<uint8_t>& bytes, size_t from) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string text;
    for (size_t i = from; i < bytes.size(); i += kTrailingBytesPerLine) {
        text += "trailing";
        for (size_t k = i; k < std::min(bytes.size(), i + kTrailingBytesPerLine); ++k) {
            text += ' ';
            text += kHex[bytes[k] >> 4];
            text += kHex[bytes[k] & 15];
        }
        text += "\n";
    }
    return text;
}

}  // namespace

CompiledLevels CompileLevelText(std::string_view text) {
    return LevelCompiler().Run(text);
}

std::string FormatLevelTextError(const std::string& name, const LevelTextError& error) {
    // An error quotes the text it stumbled on; a control character there (an escape sequence in a
    // title) is written as \xNN, so it can neither move a terminal's cursor nor ring its bell.
    std::string text;
    for (const char c : error.Text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7F) {
            text += c;
            continue;
        }
        constexpr std::string_view kHex = "0123456789ABCDEF";
        text += "\\x";
        text += kHex[byte >> 4];
        text += kHex[byte & 0xF];
    }
    return name + (error.Line > 0 ? ":" + std::to_string(error.Line) : std::string()) + ": " + text;
}

bool IsLevelText(const std::string& path) {
    return !path.ends_with(".ko");
}

std::optional<std::vector<uint8_t>> ReadLevelSetFile(const std::string& path,
                                                     std::string* problem) {
    const bool text = IsLevelText(path);
    FileRead read = ReadRegularFile(path, text ? kMaxLevelTextBytes : kMaxLevelFileBytes);
    if (!read.Ok()) {
        *problem = path + ": " + DescribeReadFailure(read);
        return std::nullopt;
    }
    if (!text) return std::move(read.Bytes);
    CompiledLevels levels = CompileLevelText(
        std::string_view(reinterpret_cast<const char*>(read.Bytes.data()), read.Bytes.size()));
    if (!levels.Errors.empty()) {
        *problem = FormatLevelTextError(path, levels.Errors[0]);
        return std::nullopt;
    }
    return std::move(levels.Bytes);
}

std::string DecompileLevels(const std::vector<uint8_t>& bytes,
                            const std::vector<std::string>& titles) {
    ByteReader in(bytes);
    const int16_t count = in.Read16();
    std::vector<std::vector<BrickValues>> levels(static_cast<size_t>(std::max<int16_t>(count, 0)));
    for (auto& level : levels) {
        level.resize(static_cast<size_t>(std::max<int16_t>(in.Read16(), 0)));
        for (BrickValues& brick : level) {
            for (int16_t& value : brick) value = in.Read16();
        }
    }
    const size_t trailingFrom = in.Position();

    std::vector<std::vector<Segment>> plans;
    std::vector<BrickKind> gridKinds;  // of all grids, in order of first use
    std::set<BrickKind> seen;
    for (const auto& level : levels) {
        plans.push_back(Segments(level));
        for (const Segment& segment : plans.back()) {
            if (!segment.Grid) continue;
            for (const BrickKind& kind : KindsOf(level, segment)) {
                if (seen.insert(kind).second) gridKinds.push_back(kind);
            }
        }
    }

    KeyBook keys;
    std::string text = "# " + std::to_string(levels.size()) +
                       (levels.size() == 1 ? " level" : " levels") +
                       ", decompiled by zapwall-data\n";
    // When every kind has a key of its own, the keys are all defined at the top.
    if (gridKinds.size() <= kKeyCharacters.size()) text += keys.Define(gridKinds);
    for (size_t l = 0; l < levels.size(); ++l) {
        const bool titled = l < titles.size() && !titles[l].empty();
        text += "\nlevel " + (titled ? titles[l] : std::to_string(l + 1)) + "\n";
        for (const Segment& segment : plans[l]) {
            if (segment.Grid) {
                text += keys.Define(KindsOf(levels[l], segment));
                text += GridBlock(levels[l], segment, keys);
            } else {
                for (size_t i = segment.Begin; i < segment.End; ++i)
                    text += BrickLine(levels[l][i]);
            }
        }
    }
    if (trailingFrom < bytes.size()) text += "\n" + TrailingLines(bytes, trailingFrom);
    return text;
}

}  // namespace ZapModule
