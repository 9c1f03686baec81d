// SPDX-License-Identifier: GPL-3.0-or-later
#include "hall/sent_replay.h"

#include <QCryptographicHash>
#include <charconv>

#include "storage/cp1250.h"

namespace ZapModule {

namespace {

// Characters that would steer a terminal or the text's direction rather than be shown.
bool Unshowable(char32_t c) {
    return c < 0x20 || (c >= 0x7f && c <= 0x9f) || c == 0x2028 || c == 0x2029 ||
           (c >= 0x200e && c <= 0x200f) || (c >= 0x202a && c <= 0x202e) ||
           (c >= 0x2066 && c <= 0x2069) || c == 0xfeff;
}

// Calls `line` with every line of the text, without its line end.
template <typename Each>
void EachLine(std::string_view text, Each line) {
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find('\n', at);
        if (end == std::string_view::npos) end = text.size();
        // A CR LF file is the reader's to refuse, with its own reason.
        const size_t cut = end > at && text[end - 1] == '\r' ? 1 : 0;
        line(text.substr(at, end - at - cut));
        at = end + 1;
    }
}

// The line without its word number `n` (from 0).
std::string WithoutWord(std::string_view line, int n) {
    size_t from = 0;
    for (int i = 0; i < n && from != std::string_view::npos; ++i) {
        from = line.find(' ', from);
        if (from != std::string_view::npos) ++from;
    }
    if (from == std::string_view::npos) return std::string(line);
    const size_t to = line.find(' ', from);
    return std::string(line.substr(0, from)) +
           (to == std::string_view::npos ? std::string() : std::string(line.substr(to + 1)));
}

}  // namespace

std::string NicknameProblem(std::string_view name) {
    size_t characters = 0;
    bool blank = true;
    for (size_t i = 0; i < name.size(); ++characters) {
        const char32_t c = NextUtf8(name, i);
        if (c == 0xfffd) return "přezdívka není platný text UTF-8";
        if (Unshowable(c)) return "přezdívka obsahuje řídicí znak";
        blank = blank && c == ' ';
    }
    if (blank) return "přezdívka chybí";
    if (characters > kMaxNicknameCharacters)
        return "přezdívka je delší než " + std::to_string(kMaxNicknameCharacters) + " znaků";
    return {};
}

std::optional<int64_t> ClaimedNumber(std::string_view text) {
    int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return {};
    return value;
}

std::optional<std::string_view> ReplayLine(std::string_view replay, std::string_view keyword,
                                           bool last) {
    std::optional<std::string_view> found;
    EachLine(replay, [&](std::string_view line) {
        if ((last || !found) && line.size() > keyword.size() && line.starts_with(keyword) &&
            line[keyword.size()] == ' ')
            found = line.substr(keyword.size() + 1);
    });
    return found;
}

std::string GameKey(std::string_view replay) {
    QCryptographicHash hash(QCryptographicHash::Sha256);
    EachLine(replay, [&](std::string_view line) {
        if (line.starts_with("recorded ") || line.starts_with("checksum ")) return;
        std::string kept(line);
        if (!line.empty() && line[0] >= '0' && line[0] <= '9') kept = WithoutWord(line, 1);
        if (line.starts_with("end ")) kept = WithoutWord(line, 2);
        kept += '\n';
        hash.addData(QByteArrayView(kept.data(), static_cast<qsizetype>(kept.size())));
    });
    return hash.result().toHex().toStdString();
}

}  // namespace ZapModule
