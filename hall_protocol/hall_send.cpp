// SPDX-License-Identifier: GPL-3.0-or-later
#include "hall_protocol/hall_send.h"

#include <cctype>
#include <cstdint>

namespace ZapModule {

namespace {

constexpr std::string_view kBlanks = " \t\r\n";

bool StartsWithLower(std::string_view text, std::string_view start) {
    if (text.size() < start.size()) return false;
    for (size_t i = 0; i < start.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != start[i]) return false;
    return true;
}

// What a hall server's answer says at its top: "filed" and "reason", read from a text that is one
// well-formed JSON object and nothing else.
struct ServerWords {
    std::optional<bool> Filed;
    std::string Reason;
};

class JsonReader {
  public:
    explicit JsonReader(std::string_view text) : text_(text) {}

    std::optional<ServerWords> TopObject() {
        ServerWords words;
        Blanks();
        if (!Object(&words, 0)) return std::nullopt;
        Blanks();
        if (at_ != text_.size()) return std::nullopt;
        return words;
    }

  private:
    enum class Kind : uint8_t { Other, String, True, False };
    // Deeper nesting is no server's answer (and would cost the stack).
    static constexpr int kMaxDepth = 32;

    void Blanks() {
        while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\t' ||
                                      text_[at_] == '\n' || text_[at_] == '\r'))
            ++at_;
    }
    bool Eat(char c) {
        Blanks();
        if (at_ == text_.size() || text_[at_] != c) return false;
        ++at_;
        return true;
    }
    bool Word(std::string_view word) {
        if (text_.substr(at_, word.size()) != word) return false;
        at_ += word.size();
        return true;
    }
    bool Digits() {
        const size_t start = at_;
        while (at_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[at_])) != 0)
            ++at_;
        return at_ > start;
    }
    bool Number() {
        Word("-");
        if (!Word("0") && !Digits()) return false;
        if (Word(".") && !Digits()) return false;
        if (Word("e") || Word("E")) {
            if (!Word("+")) Word("-");
            if (!Digits()) return false;
        }
        return true;
    }
    // Four hex digits of a \u escape.
    std::optional<uint32_t> Hex4() {
        if (text_.size() - at_ < 4) return std::nullopt;
        uint32_t code = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = text_[at_++];
            const int digit = std::isdigit(static_cast<unsigned char>(c)) != 0 ? c - '0'
                              : c >= 'a' && c <= 'f'                           ? c - 'a' + 10
                              : c >= 'A' && c <= 'F'                           ? c - 'A' + 10
                                                                               : -1;
            if (digit < 0) return std::nullopt;
            code = code * 16 + static_cast<uint32_t>(digit);
        }
        return code;
    }
    static void AppendUtf8(std::string& out, uint32_t code) {
        const auto byte = [&](uint32_t b) { out += static_cast<char>(b); };
        if (code < 0x80) {
            byte(code);
        } else if (code < 0x800) {
            byte(0xC0 | code >> 6);
            byte(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            byte(0xE0 | code >> 12);
            byte(0x80 | (code >> 6 & 0x3F));
            byte(0x80 | (code & 0x3F));
        } else {
            byte(0xF0 | code >> 18);
            byte(0x80 | (code >> 12 & 0x3F));
            byte(0x80 | (code >> 6 & 0x3F));
            byte(0x80 | (code & 0x3F));
        }
    }
    bool String(std::string* out) {
        if (!Word("\"")) return false;
        while (at_ < text_.size()) {
            const char c = text_[at_++];
            if (c == '"') return true;
            if (static_cast<unsigned char>(c) < 0x20) return false;
            if (c != '\\') {
                *out += c;
                continue;
            }
            if (at_ == text_.size()) return false;
            const char escape = text_[at_++];
            static constexpr std::string_view kFrom = "\"\\/bfnrt", kTo = "\"\\/\b\f\n\r\t";
            if (const size_t which = kFrom.find(escape); which != std::string_view::npos) {
                *out += kTo[which];
                continue;
            }
            if (escape != 'u') return false;
            std::optional<uint32_t> code = Hex4();
            if (!code) return false;
            if (*code >= 0xD800 && *code < 0xDC00) {
                if (!Word("\\u")) return false;
                const std::optional<uint32_t> low = Hex4();
                if (!low || *low < 0xDC00 || *low >= 0xE000) return false;
                code = 0x10000 + ((*code - 0xD800) << 10) + (*low - 0xDC00);
            } else if (*code >= 0xDC00 && *code < 0xE000) {
                return false;
            }
            AppendUtf8(*out, *code);
        }
        return false;
    }
    bool Value(int depth, Kind* kind, std::string* text) {
        *kind = Kind::Other;
        Blanks();
        if (at_ == text_.size()) return false;
        switch (text_[at_]) {
            case '{':
                return Object(nullptr, depth + 1);
            case '[':
                return Array(depth + 1);
            case '"':
                *kind = Kind::String;
                return String(text);
            case 't':
                *kind = Kind::True;
                return Word("true");
            case 'f':
                *kind = Kind::False;
                return Word("false");
            case 'n':
                return Word("null");
            default:
                return Number();
        }
    }
    bool Array(int depth) {
        if (depth > kMaxDepth || !Eat('[')) return false;
        if (Eat(']')) return true;
        do {
            Kind kind{};
            std::string text;
            if (!Value(depth, &kind, &text)) return false;
        } while (Eat(','));
        return Eat(']');
    }
    // An object; the top one's "filed" and "reason" go into `words`.
    bool Object(ServerWords* words, int depth) {
        if (depth > kMaxDepth || !Eat('{')) return false;
        if (Eat('}')) return true;
        do {
            std::string key, text;
            Kind kind{};
            Blanks();
            if (!String(&key) || !Eat(':') || !Value(depth, &kind, &text)) return false;
            if (words && key == "filed")
                words->Filed = kind == Kind::True    ? std::optional<bool>(true)
                               : kind == Kind::False ? std::optional<bool>(false)
                                                     : std::nullopt;
            if (words && key == "reason") words->Reason = kind == Kind::String ? text : "";
        } while (Eat(','));
        return Eat('}');
    }

    std::string_view text_;
    size_t at_ = 0;
};

}  // namespace

std::string PercentEncoded(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isalnum(byte) != 0 || c == '-' || c == '.' || c == '_' || c == '~') {
            out += c;
        } else {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        }
    }
    return out;
}

std::optional<std::string> PercentDecoded(std::string_view text) {
    const auto digit = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size() || digit(text[i + 1]) < 0 || digit(text[i + 2]) < 0)
            return std::nullopt;
        out += static_cast<char>(digit(text[i + 1]) * 16 + digit(text[i + 2]));
        i += 2;
    }
    return out;
}

std::optional<HallSend> OfferedHallSend(const GameState& s, const Replay& game) {
    if (game.End != ReplayEnd::Quit && game.End != ReplayEnd::GameOver) return std::nullopt;
    return HallSend{game.Player.Name, s.Iq, ShownLevel(s.Level), ReplayText(game)};
}

bool IsWebLink(std::string_view text) {
    return StartsWithLower(text, "http://") || StartsWithLower(text, "https://");
}

std::optional<std::string> HallServerAddress(std::string_view setting, std::string* problem) {
    const size_t first = setting.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return std::nullopt;
    std::string_view address = setting.substr(first, setting.find_last_not_of(kBlanks) + 1 - first);
    while (!address.empty() && address.back() == '/') address.remove_suffix(1);
    const auto refuse = [&](const std::string& why) -> std::optional<std::string> {
        if (problem) *problem = "Adresa serveru síně slávy „" + std::string(setting) + "“ " + why;
        return std::nullopt;
    };
    size_t scheme = 0;
    if (StartsWithLower(address, "http://"))
        scheme = 7;
    else if (StartsWithLower(address, "https://"))
        scheme = 8;
    else
        return refuse("nezačíná http:// ani https://.");
    if (address.size() == scheme || address[scheme] == '/') return refuse("neudává jméno serveru.");
    for (const char c : address) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte == 0x7f || c == '?' || c == '#')
            return refuse("obsahuje mezeru, řídicí znak, ? nebo #.");
    }
    return std::string(address);
}

std::string HallSendUrl(const std::string& address, const HallSend& send) {
    return address + "/api/results?name=" + PercentEncoded(send.Name) +
           "&score=" + std::to_string(send.Score) + "&level=" + std::to_string(send.Level);
}

std::string LevelSetPublishUrl(const std::string& address, std::string_view title,
                               std::string_view author) {
    return address + "/api/level-sets?title=" + PercentEncoded(title) +
           "&author=" + PercentEncoded(author);
}

HallSendAnswer ReadHallAnswer(int status, std::string_view body, std::string_view problem) {
    const std::string code = "HTTP " + std::to_string(status);
    if (status == 0)
        return {HallSendOutcome::Failed,
                "Server síně slávy neodpověděl (" + std::string(problem) + ")."};
    if (!problem.empty())
        return {HallSendOutcome::Failed, "Odpověď serveru síně slávy nepřišla celá (" + code +
                                             ": " + std::string(problem) + ")."};
    const std::optional<ServerWords> words = JsonReader(body).TopObject();
    const bool filed = words && words->Filed == true;
    if (status == 200 && filed)
        return {HallSendOutcome::Filed, "Tato hra už v síni slávy je zapsána."};
    if (status == 201 && filed) return {HallSendOutcome::Filed, "Výsledek je zapsán v síni slávy."};
    const bool gameRefused = status == 400 || status == 413 || status == 415 || status == 422;
    if (gameRefused && words && !filed && !words->Reason.empty())
        return {HallSendOutcome::Refused, "Server výsledek odmítl: " + words->Reason};
    std::string said = code;
    if (words && !words->Reason.empty())
        said += ": " + words->Reason;
    else if (status >= 300 && status < 400)
        said += ": přesměrování hra nenásleduje";
    else if (!words || status < 300)
        said += ": to není odpověď serveru síně slávy";
    return {HallSendOutcome::Failed, "Server výsledek teď nepřijal (" + said + ")."};
}
}  // namespace ZapModule
