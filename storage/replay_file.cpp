#include "storage/replay_file.h"

#include <charconv>
#include <cstdio>
#include <limits>
#include <map>

namespace ZapModule {

namespace {

constexpr uint64_t kFnvOffset = 14695981039346656037ull;
constexpr uint64_t kFnvPrime = 1099511628211ull;

std::string Hex64(uint64_t value) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
    return text;
}

// A name as one word: bytes up to the blank, '%' and DEL become %XX, so that any name, even an
// empty one or one with line breaks from a damaged roster, reads back exactly.
std::string EscapedName(const std::string& name) {
    std::string out;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte == '%' || byte == 0x7f) {
            char code[4];
            std::snprintf(code, sizeof code, "%%%02X", byte);
            out += code;
        } else {
            out += c;
        }
    }
    return out;
}

std::optional<std::string> UnescapedName(std::string_view word) {
    std::string out;
    for (size_t i = 0; i < word.size(); ++i) {
        if (word[i] != '%') {
            out += word[i];
            continue;
        }
        unsigned value = 0;
        if (i + 2 >= word.size()) return std::nullopt;
        const auto [end, ec] = std::from_chars(word.data() + i + 1, word.data() + i + 3, value, 16);
        if (ec != std::errc() || end != word.data() + i + 3) return std::nullopt;
        out += static_cast<char>(value);
        i += 2;
    }
    return out;
}

// "NAME" ends a line; an empty name leaves the line without it.
std::string WithName(std::string line, const std::string& name) {
    if (!name.empty()) line += " " + EscapedName(name);
    return line + "\n";
}

std::string PlayerFields(const PlayerRecord& p) {
    return std::to_string(p.Iq) + " " + std::to_string(p.Level) + " " +
           std::to_string(p.SpareBalls);
}

std::string InputLine(const ReplayEvent& e) {
    std::string line = std::to_string(e.Step) + " " + std::to_string(e.Millis) + " ";
    switch (e.What) {
        case ReplayInput::KeyDown:
            return line + "keydown " + std::to_string(e.A) + "\n";
        case ReplayInput::KeyUp:
            return line + "keyup " + std::to_string(e.A) + "\n";
        case ReplayInput::Click:
            return line + "click " + std::to_string(e.A) + " " + std::to_string(e.B) + "\n";
    }
    return line + "\n";
}

// Reading: one line split into words at single blanks.
struct Line {
    int Number = 0;
    std::string_view Text;
    std::vector<std::string_view> Words;
};

std::vector<std::string_view> Words(std::string_view text) {
    std::vector<std::string_view> words;
    size_t start = 0;
    for (;;) {
        const size_t blank = text.find(' ', start);
        words.push_back(text.substr(start, blank - start));
        if (blank == std::string_view::npos) break;
        start = blank + 1;
    }
    return words;
}

// A refusal of the line being read.
struct Refusal {
    std::string Problem;
};

[[noreturn]] void Refuse(const Line& line, const std::string& problem) {
    throw Refusal{"line " + std::to_string(line.Number) + ": " + problem};
}

template <typename Number>
Number NumberAt(const Line& line, size_t index, int64_t lowest, int64_t highest) {
    if (index >= line.Words.size()) Refuse(line, "a number is missing");
    const std::string_view word = line.Words[index];
    int64_t value = 0;
    const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (ec != std::errc() || end != word.data() + word.size() || word.empty())
        Refuse(line, "\"" + std::string(word) + "\" is not a number");
    if (value < lowest || value > highest)
        Refuse(line, std::string(word) + " is outside " + std::to_string(lowest) + " to " +
                         std::to_string(highest));
    return static_cast<Number>(value);
}

template <typename Number>
Number NumberAt(const Line& line, size_t index) {
    return NumberAt<Number>(line, index, std::numeric_limits<Number>::min(),
                            std::numeric_limits<Number>::max());
}

void ExpectWords(const Line& line, size_t least, size_t most) {
    if (line.Words.size() < least || line.Words.size() > most)
        Refuse(line, "expected " +
                         (least == most ? std::to_string(least)
                                        : std::to_string(least) + " to " + std::to_string(most)) +
                         " words");
}

std::string NameAt(const Line& line, size_t index) {
    if (index >= line.Words.size()) return {};
    std::optional<std::string> name = UnescapedName(line.Words[index]);
    if (!name) Refuse(line, "the name has a broken %XX code");
    return *name;
}

uint64_t HashAt(const Line& line) {
    ExpectWords(line, 2, 2);
    const std::string_view word = line.Words[1];
    uint64_t value = 0;
    const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value, 16);
    if (word.size() != 16 || ec != std::errc() || end != word.data() + word.size())
        Refuse(line, "expected 16 hexadecimal digits");
    return value;
}

PlayerRecord PlayerAt(const Line& line, size_t first) {
    ExpectWords(line, first + 3, first + 4);
    PlayerRecord p;
    p.Iq = NumberAt<int32_t>(line, first);
    p.Level = NumberAt<int32_t>(line, first + 1);
    p.SpareBalls = NumberAt<int16_t>(line, first + 2);
    p.Name = NameAt(line, first + 3);
    return p;
}

std::optional<ReplayEnd> EndNamed(std::string_view word) {
    for (ReplayEnd end : {ReplayEnd::Quit, ReplayEnd::GameOver, ReplayEnd::Closed})
        if (ReplayEndName(end) == word) return end;
    return std::nullopt;
}

bool IsInputLine(const Line& line) {
    return !line.Text.empty() && line.Text[0] >= '0' && line.Text[0] <= '9';
}

ReplayEvent InputAt(const Line& line) {
    ReplayEvent e;
    e.Step = NumberAt<int64_t>(line, 0, 0, std::numeric_limits<int64_t>::max());
    e.Millis = NumberAt<int64_t>(line, 1, 0, std::numeric_limits<int64_t>::max());
    const std::string_view verb = line.Words.size() > 2 ? line.Words[2] : std::string_view{};
    if (verb == "keydown" || verb == "keyup") {
        ExpectWords(line, 4, 4);
        e.What = verb == "keydown" ? ReplayInput::KeyDown : ReplayInput::KeyUp;
        e.A = NumberAt<int32_t>(line, 3, 0, 0xFFFF);
    } else if (verb == "click") {
        ExpectWords(line, 5, 5);
        e.What = ReplayInput::Click;
        e.A = NumberAt<int32_t>(line, 3);
        e.B = NumberAt<int32_t>(line, 4);
    } else {
        Refuse(line,
               "expected \"STEP MILLIS keydown CODE\", \"STEP MILLIS keyup CODE\" or "
               "\"STEP MILLIS click X Y\"");
    }
    return e;
}

// The header lines into the replay; each keyword but roster and hall exactly once.
void ReadHeader(const std::vector<Line>& lines, size_t& i, Replay& r) {
    std::map<std::string_view, int> seen;
    size_t hallRows = 0;
    for (; i < lines.size() && !IsInputLine(lines[i]); ++i) {
        const Line& line = lines[i];
        const std::string_view key = line.Words[0];
        if (key == "end" || key == "checksum") break;
        if (key != "roster" && key != "hall" && seen[key]++ > 0)
            Refuse(line, "\"" + std::string(key) + "\" appears twice");
        if (key == "recorded") {
            if (line.Text.size() <= 9) Refuse(line, "the date is missing");
            r.Recorded = std::string(line.Text.substr(9));
        } else if (key == "seed") {
            ExpectWords(line, 2, 2);
            r.Seed = NumberAt<uint32_t>(line, 1);
        } else if (key == "tick") {
            ExpectWords(line, 2, 2);
            r.Tick = NumberAt<int16_t>(line, 1, 1, 10000);
        } else if (key == "sound") {
            ExpectWords(line, 2, 2);
            if (line.Words[1] != "on" && line.Words[1] != "off") Refuse(line, "expected on or off");
            r.Sound = line.Words[1] == "on";
        } else if (key == "levels") {
            r.LevelsHash = HashAt(line);
        } else if (key == "animations") {
            r.AnimationsHash = HashAt(line);
        } else if (key == "wall-picture") {
            ExpectWords(line, 2, 2);
            r.WallPictureHeight = NumberAt<int16_t>(line, 1, 0, 32767);
        } else if (key == "player") {
            r.Current = NumberAt<int16_t>(line, 1, -1, 32767);
            r.Player = PlayerAt(line, 2);
        } else if (key == "roster") {
            r.Roster.push_back(PlayerAt(line, 1));
        } else if (key == "hall") {
            if (hallRows == r.Hall.size()) Refuse(line, "the hall of fame has ten rows");
            ExpectWords(line, 2, 3);
            r.Hall[hallRows].Score = NumberAt<int32_t>(line, 1);
            r.Hall[hallRows++].Name = NameAt(line, 2);
        } else {
            Refuse(line, "unknown line \"" + std::string(key) + "\"");
        }
    }
    for (const char* key :
         {"recorded", "seed", "tick", "sound", "levels", "animations", "wall-picture", "player"})
        if (seen[key] == 0) throw Refusal{"the \"" + std::string(key) + "\" line is missing"};
    if (hallRows != r.Hall.size())
        throw Refusal{"the hall of fame has " + std::to_string(hallRows) + " rows, not ten"};
    if (r.Current >= static_cast<int64_t>(r.Roster.size()))
        throw Refusal{"the player's roster line " + std::to_string(r.Current) + " does not exist"};
    if (r.Current >= 0) {
        const PlayerRecord& listed = r.Roster[static_cast<size_t>(r.Current)];
        if (listed.Name != r.Player.Name || listed.Iq != r.Player.Iq ||
            listed.Level != r.Player.Level || listed.SpareBalls != r.Player.SpareBalls)
            throw Refusal{"the player differs from its roster line"};
    }
}

void ReadInputs(const std::vector<Line>& lines, size_t& i, Replay& r) {
    for (; i < lines.size() && IsInputLine(lines[i]); ++i) {
        const ReplayEvent e = InputAt(lines[i]);
        if (!r.Events.empty() &&
            (e.Step < r.Events.back().Step || e.Millis < r.Events.back().Millis))
            Refuse(lines[i], "the input comes before the one above it");
        r.Events.push_back(e);
    }
}

void ReadEnd(const std::vector<Line>& lines, size_t& i, Replay& r) {
    if (i >= lines.size() || lines[i].Words[0] != "end")
        throw Refusal{i < lines.size() ? "line " + std::to_string(lines[i].Number) +
                                             ": expected an input or the \"end\" line"
                                       : std::string("the \"end\" line is missing")};
    const Line& line = lines[i++];
    ExpectWords(line, 4, 4);
    r.EndStep = NumberAt<int64_t>(line, 1, 0, std::numeric_limits<int64_t>::max());
    r.EndMillis = NumberAt<int64_t>(line, 2, 0, std::numeric_limits<int64_t>::max());
    const std::optional<ReplayEnd> end = EndNamed(line.Words[3]);
    if (!end) Refuse(line, "expected quit, gameover or closed");
    r.End = *end;
    if (!r.Events.empty() &&
        (r.Events.back().Step > r.EndStep || r.Events.back().Millis > r.EndMillis))
        Refuse(line, "the game ends before its last input");
    if (i < lines.size()) Refuse(lines[i], "nothing may follow the \"end\" line");
}

}  // namespace

uint64_t Fnv1a64(const void* data, size_t size) {
    uint64_t hash = kFnvOffset;
    const auto* bytes = static_cast<const uint8_t*>(data);
    for (size_t i = 0; i < size; ++i) {
        hash ^= bytes[i];
        hash *= kFnvPrime;
    }
    return hash;
}

std::string_view ReplayEndName(ReplayEnd end) {
    switch (end) {
        case ReplayEnd::Quit:
            return "quit";
        case ReplayEnd::GameOver:
            return "gameover";
        case ReplayEnd::Closed:
            return "closed";
    }
    return "closed";
}

std::string ReplayText(const Replay& r) {
    std::string text = std::string(kReplayMagic) + " " + std::to_string(kReplayVersion) + "\n";
    text += "recorded " + r.Recorded + "\n";
    text += "seed " + std::to_string(r.Seed) + "\n";
    text += "tick " + std::to_string(r.Tick) + "\n";
    text += std::string("sound ") + (r.Sound ? "on" : "off") + "\n";
    text += "levels " + Hex64(r.LevelsHash) + "\n";
    text += "animations " + Hex64(r.AnimationsHash) + "\n";
    text += "wall-picture " + std::to_string(r.WallPictureHeight) + "\n";
    text += WithName("player " + std::to_string(r.Current) + " " + PlayerFields(r.Player),
                     r.Player.Name);
    for (const PlayerRecord& p : r.Roster) text += WithName("roster " + PlayerFields(p), p.Name);
    for (const HallEntry& e : r.Hall) text += WithName("hall " + std::to_string(e.Score), e.Name);
    for (const ReplayEvent& e : r.Events) text += InputLine(e);
    text += "end " + std::to_string(r.EndStep) + " " + std::to_string(r.EndMillis) + " " +
            std::string(ReplayEndName(r.End)) + "\n";
    text += "checksum " + Hex64(Fnv1a64(text.data(), text.size())) + "\n";
    return text;
}

ReplayParse ParseReplay(std::string_view text) {
    ReplayParse result;
    const std::string magic = std::string(kReplayMagic) + " ";
    const size_t firstEnd = text.find('\n');
    const std::string_view first = text.substr(0, firstEnd);
    if (first.substr(0, magic.size()) != magic) {
        result.Problem = "not a Zapwall replay (it does not begin with \"" + magic +
                         std::to_string(kReplayVersion) + "\")";
        return result;
    }
    if (first.substr(magic.size()) != std::to_string(kReplayVersion)) {
        result.Problem = "replay format version \"" + std::string(first.substr(magic.size())) +
                         "\" is not known (this program reads version " +
                         std::to_string(kReplayVersion) + ")";
        return result;
    }

    // The checksum line is the last one and covers every byte before it.
    const std::string_view checksumKey = "checksum ";
    const size_t lastStart =
        text.size() >= 2 ? text.rfind('\n', text.size() - 2) : std::string_view::npos;
    const std::string_view last =
        lastStart == std::string_view::npos ? std::string_view{} : text.substr(lastStart + 1);
    if (text.empty() || text.back() != '\n' || last.substr(0, checksumKey.size()) != checksumKey) {
        result.Problem = "the file is cut short (its last line is not the checksum)";
        return result;
    }
    const std::string_view body = text.substr(0, lastStart + 1);
    if (last.substr(checksumKey.size()) != Hex64(Fnv1a64(body.data(), body.size())) + "\n") {
        result.Problem = "the file is damaged (its checksum does not match its contents)";
        return result;
    }

    std::vector<Line> lines;
    size_t start = firstEnd + 1;
    for (int number = 2; start < body.size(); ++number) {
        const size_t end = body.find('\n', start);
        Line line;
        line.Number = number;
        line.Text = body.substr(start, end - start);
        line.Words = Words(line.Text);
        lines.push_back(std::move(line));
        start = end + 1;
    }
    Replay r;
    try {
        for (const Line& line : lines)
            for (const std::string_view word : line.Words)
                if (word.empty()) Refuse(line, "words are separated by exactly one blank");
        size_t i = 0;
        ReadHeader(lines, i, r);
        ReadInputs(lines, i, r);
        ReadEnd(lines, i, r);
    } catch (const Refusal& refusal) {
        result.Problem = refusal.Problem;
        return result;
    }
    result.Read = std::move(r);
    return result;
}

}  // namespace ZapModule
