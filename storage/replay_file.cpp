// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/replay_file.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <limits>
#include <map>

#include "platform/file_reading.h"
#include "storage/cp1250.h"
#include "storage/file_problems.h"

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

// Reading: one line split into words at single blanks.
struct Line {
    int64_t Number = 0;
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

// A refusal of the file, or of the line being read.
struct Refusal {
    std::string Problem;
};

std::string LineText(int64_t number) {
    return "řádek " + std::to_string(number) + ": ";
}

// A word of the file as a message quotes it: control characters become '?' and a long word is
// cut, so that no file can write to a terminal through the message.
std::string Shown(std::string_view word) {
    constexpr size_t kLongest = 40;
    std::string shown;
    for (const char c : word.substr(0, kLongest)) {
        const auto byte = static_cast<unsigned char>(c);
        shown += byte < 0x20 || byte == 0x7F ? '?' : c;
    }
    return word.size() > kLongest ? shown + "…" : shown;
}

[[noreturn]] void Refuse(const Line& line, const std::string& problem) {
    throw Refusal{LineText(line.Number) + problem};
}

template <typename Number>
Number NumberAt(const Line& line, size_t index, int64_t lowest, int64_t highest) {
    if (index >= line.Words.size()) Refuse(line, "chybí číslo");
    const std::string_view word = line.Words[index];
    int64_t value = 0;
    const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (ec != std::errc() || end != word.data() + word.size() || word.empty())
        Refuse(line, "\"" + Shown(word) + "\" není číslo");
    if (value < lowest || value > highest)
        Refuse(line, Shown(word) + " je mimo rozsah " + std::to_string(lowest) + " až " +
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
        Refuse(line, "očekává se " +
                         (least == most ? std::to_string(least)
                                        : std::to_string(least) + " až " + std::to_string(most)) +
                         " slov");
}

// Whether the bytes are UTF-8 text: no stray continuation byte, no cut or overlong sequence, no
// surrogate, nothing beyond U+10FFFF. The game writes only such names.
bool IsUtf8(std::string_view text) {
    for (size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const size_t length = lead < 0x80                    ? 1
                              : lead >= 0xC2 && lead <= 0xDF ? 2
                              : lead >= 0xE0 && lead <= 0xEF ? 3
                              : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                             : 0;
        if (length == 0 || i + length > text.size()) return false;
        char32_t code = length == 1 ? lead : lead & (0x7F >> length);
        for (size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            code = code << 6 | (next & 0x3F);
        }
        const char32_t least = length == 3 ? 0x800 : length == 4 ? 0x10000 : 0;
        if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
        i += length;
    }
    return true;
}

std::string NameAt(const Line& line, size_t index) {
    if (index >= line.Words.size()) return {};
    std::optional<std::string> name = UnescapedName(line.Words[index]);
    if (!name) Refuse(line, "jméno má vadný kód %XX");
    if (!IsUtf8(*name)) Refuse(line, "jméno není platný text v UTF-8");
    // The game takes no other names, and the player's files could store it only with '?'.
    if (!FitsCp1250(*name))
        Refuse(line, "jméno má znak, který kódování Windows-1250 souborů hry neumí uložit");
    return *name;
}

uint64_t HashAt(const Line& line) {
    ExpectWords(line, 2, 2);
    const std::string_view word = line.Words[1];
    uint64_t value = 0;
    const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value, 16);
    if (word.size() != 16 || ec != std::errc() || end != word.data() + word.size())
        Refuse(line, "očekává se 16 šestnáctkových číslic");
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
    for (ReplayEnd end : {ReplayEnd::Quit, ReplayEnd::GameOver, ReplayEnd::Closed, ReplayEnd::Cut})
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
               "očekává se \"KROK MS keydown KÓD\", \"KROK MS keyup KÓD\" nebo "
               "\"KROK MS click X Y\"");
    }
    return e;
}

// The file's bytes, read once for the checksum and once more for the lines: a file is never held
// in memory whole on its way to a recording.
class ByteSource {
  public:
    virtual ~ByteSource() = default;
    // Up to `most` bytes into `to`; 0 at the end. A failure is thrown as a refusal.
    virtual size_t Read(char* to, size_t most) = 0;
    virtual void Rewind() = 0;
};

class TextSource : public ByteSource {
  public:
    explicit TextSource(std::string_view text) : text_(text) {}
    size_t Read(char* to, size_t most) override {
        const size_t count = std::min(most, text_.size() - at_);
        std::copy_n(text_.data() + at_, count, to);
        at_ += count;
        return count;
    }
    void Rewind() override { at_ = 0; }

  private:
    std::string_view text_;
    size_t at_ = 0;
};

class FileSource : public ByteSource {
  public:
    explicit FileSource(FileReader& file) : file_(file) {}
    size_t Read(char* to, size_t most) override {
        const std::ptrdiff_t got = file_.Read(to, most);
        if (got < 0) throw Refusal{ReadProblem(errno)};
        // A file that grows while it is read is held to the limit all the same.
        read_ += static_cast<uint64_t>(got);
        if (read_ > kMaxReplayFileSize)
            throw Refusal{"soubor je příliš velký: nejvýše " + SizeText(kMaxReplayFileSize)};
        return static_cast<size_t>(got);
    }
    void Rewind() override {
        if (!file_.Rewind()) throw Refusal{ReadProblem(errno)};
        read_ = 0;
    }

  private:
    static std::string ReadProblem(int error) {
        FileRead failed;
        failed.Failure = ReadFailure::Failed;
        failed.Error = error;
        return DescribeReadFailure(failed);
    }
    FileReader& file_;
    uint64_t read_ = 0;
};

// The source's lines one after another, each at most kMaxReplayLineBytes long without its '\n'.
class LineSplitter {
  public:
    explicit LineSplitter(ByteSource& source) : source_(source), buffer_(64 * 1024) {}

    // The next line; false at the end of the file. `ended` tells whether a '\n' ended it.
    bool Next(std::string& line, bool& ended) {
        line.clear();
        for (;;) {
            if (at_ == filled_) {
                filled_ = source_.Read(buffer_.data(), buffer_.size());
                at_ = 0;
                if (filled_ == 0) {
                    ended = false;
                    if (line.empty()) return false;
                    ++number_;
                    return true;
                }
            }
            const char* begin = buffer_.data() + at_;
            const char* stop = static_cast<const char*>(std::memchr(begin, '\n', filled_ - at_));
            const size_t take = stop != nullptr ? static_cast<size_t>(stop - begin) : filled_ - at_;
            if (line.size() + take > kMaxReplayLineBytes)
                throw Refusal{LineText(number_ + 1) + "řádek je delší než " +
                              std::to_string(kMaxReplayLineBytes) + " bajtů"};
            line.append(begin, take);
            at_ += take;
            if (stop != nullptr) {
                ++at_;
                ++number_;
                ended = true;
                return true;
            }
        }
    }
    int64_t Number() const { return number_; }

  private:
    ByteSource& source_;
    std::vector<char> buffer_;
    size_t at_ = 0, filled_ = 0;
    int64_t number_ = 0;
};

uint64_t HashOn(uint64_t hash, std::string_view bytes) {
    for (const char c : bytes) {
        hash ^= static_cast<uint8_t>(c);
        hash *= kFnvPrime;
    }
    return hash;
}

// The most players players.ko holds.
constexpr int64_t kMaxRosterLines = 32768;

// What the first reading of the file found: it is a replay of this version with its checksum
// right, and how long its game claims to have been.
struct Survey {
    int64_t Lines = 0;
    int64_t EndLine = 0;
    std::optional<int64_t> EndStep, EndMillis;
};

void CheckFirstLine(const std::string& first) {
    const std::string magic = std::string(kReplayMagic) + " ";
    const std::string version = std::to_string(kReplayVersion);
    if (first.substr(0, magic.size()) != magic)
        throw Refusal{"není to záznam hry Zapwall (nezačíná řádkem \"" + magic + version + "\")"};
    if (first.ends_with('\r'))
        throw Refusal{
            "řádky končí znaky CR LF jako ve Windows; záznam hry má řádky zakončené jen LF"};
    if (first.substr(magic.size()) != version)
        throw Refusal{"verze záznamu \"" + Shown(first.substr(magic.size())) +
                      "\" není známá (tento program čte verzi " + version + ")"};
}

// The end line's two numbers, when they are numbers; the second reading judges the rest.
void SurveyEnd(const std::string& text, Survey& survey) {
    Line line;
    line.Text = text;
    line.Words = Words(line.Text);
    if (line.Words.size() != 4 || line.Words[0] != "end") return;
    try {
        survey.EndStep = NumberAt<int64_t>(line, 1, 0, std::numeric_limits<int64_t>::max());
        survey.EndMillis = NumberAt<int64_t>(line, 2, 0, std::numeric_limits<int64_t>::max());
    } catch (const Refusal&) {
        survey.EndStep.reset();
        survey.EndMillis.reset();
    }
}

// The first reading: the first line, the checksum over every byte before the last line, the
// number of lines and the end line's claim.
Survey SurveyFile(ByteSource& source) {
    LineSplitter lines(source);
    std::string line, previous, last;
    bool ended = false;
    try {
        if (!lines.Next(line, ended)) line.clear();
    } catch (const Refusal&) {
        line.clear();  // no line of a replay is that long, least of all its first
    }
    CheckFirstLine(line);
    uint64_t hash = HashOn(kFnvOffset, line + "\n");
    uint64_t bodyHash = hash;  // of every byte before the line last read
    bool lastEnded = false;
    while (lines.Next(line, ended)) {
        bodyHash = hash;
        hash = HashOn(hash, line);
        if (ended) hash = HashOn(hash, "\n");
        previous = std::move(last);
        last = line;
        lastEnded = ended;
    }
    const std::string checksumKey = "checksum ";
    if (!lastEnded || !last.starts_with(checksumKey))
        throw Refusal{"soubor je useknutý (jeho posledním řádkem není kontrolní součet)"};
    if (last.substr(checksumKey.size()) != Hex64(bodyHash))
        throw Refusal{"soubor je poškozený (kontrolní součet nesouhlasí s jeho obsahem)"};
    Survey survey;
    survey.Lines = lines.Number();
    survey.EndLine = survey.Lines - 1;
    SurveyEnd(previous, survey);
    return survey;
}

// The bounds a game's length sets; the claim itself is checked against them.
void CheckClaim(const Survey& survey, int16_t tick) {
    if (!survey.EndStep) return;
    const std::string where = LineText(survey.EndLine);
    if (*survey.EndMillis > kMaxReplayMillis)
        throw Refusal{where + "hra nemůže trvat déle než rok (" +
                      std::to_string(*survey.EndMillis) + " ms)"};
    const int64_t most = MaxReplaySteps(*survey.EndMillis, tick);
    if (*survey.EndStep > most)
        throw Refusal{where + "hra nemohla za " + std::to_string(*survey.EndMillis) +
                      " ms provést " + std::to_string(*survey.EndStep) + " kroků (nejvýše " +
                      std::to_string(most) + ")"};
    if (*survey.EndStep > kMaxReplaySteps)
        throw Refusal{where + "hra o " + std::to_string(*survey.EndStep) +
                      " krocích je delší, než lze přehrát (nejvýše " +
                      std::to_string(kMaxReplaySteps) +
                      " kroků, při Tick 8000 přes čtyři dny hry)"};
}

size_t InputsAllowed(const Survey& survey) {
    return survey.EndStep ? MaxReplayInputs(*survey.EndStep, *survey.EndMillis) : kMaxReplayInputs;
}

// The second reading: every line but the checksum, in order.
class Reader {
  public:
    Reader(ByteSource& source, const Survey& survey)
        : lines_(source), survey_(survey), allowed_(InputsAllowed(survey)) {
        std::string magic;
        bool ended = false;
        lines_.Next(magic, ended);
        Advance();
    }

    Replay Read() {
        Replay r;
        ReadHeader(r);
        CheckClaim(survey_, r.Tick);
        ReadInputs(r);
        ReadEnd(r);
        return r;
    }

  private:
    // The next line into line_; at the checksum line (or the file's end) there is none.
    void Advance() {
        bool ended = false;
        if (lines_.Number() + 1 >= survey_.Lines || !lines_.Next(text_, ended)) {
            has_ = false;
            return;
        }
        has_ = true;
        line_.Number = lines_.Number();
        line_.Text = text_;
        line_.Words = Words(line_.Text);
        for (const std::string_view word : line_.Words)
            if (word.empty()) Refuse(line_, "slova odděluje právě jedna mezera");
    }

    // The header lines into the replay; each keyword but roster and hall exactly once.
    void ReadHeader(Replay& r) {
        std::map<std::string_view, int> seen;
        size_t hallRows = 0;
        for (; has_ && !IsInputLine(line_); Advance()) {
            const Line& line = line_;
            const std::string key(line.Words[0]);
            if (key == "end" || key == "checksum") break;
            if (key != "roster" && key != "hall" && seen[Known(key)]++ > 0)
                Refuse(line, "\"" + Shown(key) + "\" je tu podruhé");
            if (key == "recorded") {
                if (line.Text.size() <= 9) Refuse(line, "chybí datum");
                r.Recorded = std::string(line.Text.substr(9));
            } else if (key == "seed") {
                ExpectWords(line, 2, 2);
                r.Seed = NumberAt<uint32_t>(line, 1);
            } else if (key == "tick") {
                ExpectWords(line, 2, 2);
                r.Tick = NumberAt<int16_t>(line, 1, 1, 10000);
            } else if (key == "sound") {
                ExpectWords(line, 2, 2);
                if (line.Words[1] != "on" && line.Words[1] != "off")
                    Refuse(line, "očekává se on nebo off");
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
                if (static_cast<int64_t>(r.Roster.size()) == kMaxRosterLines)
                    Refuse(line,
                           "seznam hráčů má nejvýše " + std::to_string(kMaxRosterLines) + " hráčů");
                r.Roster.push_back(PlayerAt(line, 1));
            } else if (key == "hall") {
                if (hallRows == r.Hall.size()) Refuse(line, "síň slávy má deset řádků");
                ExpectWords(line, 2, 3);
                r.Hall[hallRows].Score = NumberAt<int32_t>(line, 1);
                r.Hall[hallRows++].Name = NameAt(line, 2);
            } else {
                Refuse(line, "neznámý řádek \"" + Shown(key) + "\"");
            }
        }
        for (const char* key : kHeaderKeys)
            if (seen[key] == 0) throw Refusal{"chybí řádek \"" + std::string(key) + "\""};
        if (hallRows != r.Hall.size())
            throw Refusal{"síň slávy má " + std::to_string(hallRows) + " řádků, ne deset"};
        if (r.Current >= static_cast<int64_t>(r.Roster.size()))
            throw Refusal{"řádek hráče " + std::to_string(r.Current) +
                          " v seznamu hráčů neexistuje"};
        if (r.Current >= 0) {
            const PlayerRecord& listed = r.Roster[static_cast<size_t>(r.Current)];
            if (listed.Name != r.Player.Name || listed.Iq != r.Player.Iq ||
                listed.Level != r.Player.Level || listed.SpareBalls != r.Player.SpareBalls)
                throw Refusal{"hráč se liší od svého řádku v seznamu hráčů"};
        }
    }

    // The keyword as a view that outlives the line: one of the header's own names.
    static std::string_view Known(const std::string& key) {
        for (const char* known : kHeaderKeys)
            if (key == known) return known;
        return "?";
    }

    void ReadInputs(Replay& r) {
        r.Events.reserve(static_cast<size_t>(
            std::clamp<int64_t>(survey_.Lines - 2, 0, static_cast<int64_t>(allowed_))));
        for (; has_ && IsInputLine(line_); Advance()) {
            if (r.Events.size() == allowed_)
                Refuse(line_,
                       "hra této délky nemůže mít víc než " + std::to_string(allowed_) + " vstupů");
            const ReplayEvent e = InputAt(line_);
            if (!r.Events.empty() &&
                (e.Step < r.Events.back().Step || e.Millis < r.Events.back().Millis))
                Refuse(line_, "vstup je dřív než vstup nad ním");
            r.Events.push_back(e);
        }
    }

    void ReadEnd(Replay& r) {
        if (!has_ || line_.Words[0] != "end")
            throw Refusal{has_ ? LineText(line_.Number) + "očekává se vstup nebo řádek \"end\""
                               : std::string("chybí řádek \"end\"")};
        const Line& line = line_;
        ExpectWords(line, 4, 4);
        r.EndStep = NumberAt<int64_t>(line, 1, 0, std::numeric_limits<int64_t>::max());
        r.EndMillis = NumberAt<int64_t>(line, 2, 0, std::numeric_limits<int64_t>::max());
        const std::optional<ReplayEnd> end = EndNamed(line.Words[3]);
        if (!end) Refuse(line, "očekává se quit, gameover, closed nebo cut");
        r.End = *end;
        if (!r.Events.empty() &&
            (r.Events.back().Step > r.EndStep || r.Events.back().Millis > r.EndMillis))
            Refuse(line, "hra končí dřív než její poslední vstup");
        Advance();
        if (has_) Refuse(line_, "za řádkem \"end\" už nic být nesmí");
    }

    static constexpr const char* kHeaderKeys[] = {
        "recorded", "seed", "tick", "sound", "levels", "animations", "wall-picture", "player"};

    LineSplitter lines_;
    const Survey& survey_;
    const size_t allowed_;
    std::string text_;
    Line line_;
    bool has_ = false;
};

ReplayParse ParseFrom(ByteSource& source) {
    ReplayParse result;
    try {
        const Survey survey = SurveyFile(source);
        CheckClaim(survey, kMinReplayTick);
        source.Rewind();
        result.Read = Reader(source, survey).Read();
    } catch (const Refusal& refusal) {
        result.Problem = refusal.Problem;
    }
    return result;
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
        case ReplayEnd::Cut:
            return "cut";
    }
    return "closed";
}

std::string ReplayHeadText(const Replay& r) {
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
    return text;
}

std::string ReplayInputLine(const ReplayEvent& e) {
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

void EndReplayText(std::string& text, int64_t endStep, int64_t endMillis, ReplayEnd end) {
    text += "end " + std::to_string(endStep) + " " + std::to_string(endMillis) + " " +
            std::string(ReplayEndName(end)) + "\n";
    text += "checksum " + Hex64(Fnv1a64(text.data(), text.size())) + "\n";
}

std::string ReplayText(const Replay& r) {
    std::string text = ReplayHeadText(r);
    for (const ReplayEvent& e : r.Events) text += ReplayInputLine(e);
    EndReplayText(text, r.EndStep, r.EndMillis, r.End);
    return text;
}

int64_t MaxReplaySteps(int64_t millis, int16_t tick) {
    // The game steps once every Tick passes of 1.25 µs at most, so a millisecond holds at most
    // 800 / Tick steps; twice that and a second more leave room for any clock's rounding.
    return (std::clamp<int64_t>(millis, 0, kMaxReplayMillis) + 1000) * 1600 /
           std::max<int16_t>(tick, kMinReplayTick);
}

size_t MaxReplayInputs(int64_t endStep, int64_t endMillis) {
    // Far more than keys can be pressed: 16 inputs a step and one a millisecond.
    const int64_t inputs = 1024 + 16 * std::clamp<int64_t>(endStep, 0, int64_t{1} << 40) +
                           std::clamp<int64_t>(endMillis, 0, kMaxReplayMillis);
    return static_cast<size_t>(std::min<int64_t>(inputs, kMaxReplayInputs));
}

ReplayParse ParseReplay(std::string_view text) {
    TextSource source(text);
    return ParseFrom(source);
}

ReplayParse ReadReplayFile(const std::string& path) {
    FileReader in(path, kMaxReplayFileSize);
    if (!in.Opened().Ok()) return ReplayParse{std::nullopt, DescribeReadFailure(in.Opened())};
    FileSource source(in);
    return ParseFrom(source);
}

}  // namespace ZapModule
