// SPDX-License-Identifier: GPL-3.0-or-later
#include "hall/sent_replay.h"

#include <QCryptographicHash>
#include <charconv>

#include "model/hidden_names.h"
#include "shell/player_panel_rules.h"
#include "storage/cp1250.h"

namespace ZapModule {

namespace {

// Characters that would steer a terminal or the text's direction rather than be shown.
bool Unshowable(char32_t c) {
    return c < 0x20 || (c >= 0x7f && c <= 0x9f) || c == 0x2028 || c == 0x2029 ||
           (c >= 0x200e && c <= 0x200f) || (c >= 0x202a && c <= 0x202e) ||
           (c >= 0x2066 && c <= 0x2069) || c == 0xfeff;
}

// Characters that show nothing by themselves: spaces of every width, joiners, fillers,
// combining marks and variation selectors.
bool Invisible(char32_t c) {
    return c == 0x20 || c == 0xa0 || c == 0x1680 || c == 0x3000 || c == 0x115f || c == 0x1160 ||
           c == 0x3164 || c == 0xffa0 || c == 0x034f || (c >= 0x0300 && c <= 0x036f) ||
           (c >= 0x180b && c <= 0x180f) || (c >= 0x2000 && c <= 0x200f) ||
           (c >= 0x202a && c <= 0x202f) || (c >= 0x205f && c <= 0x206f) ||
           (c >= 0xfe00 && c <= 0xfe0f) || (c >= 0xe0000 && c <= 0xe0fff);
}

std::string Sha256Hex(std::string_view text) {
    return QCryptographicHash::hash(
               QByteArrayView(text.data(), static_cast<qsizetype>(text.size())),
               QCryptographicHash::Sha256)
        .toHex()
        .toStdString();
}

// The data a game is played on: the level set, the animations and the wall picture.
std::string DataText(const Replay& game) {
    return std::to_string(game.LevelsHash) + " " + std::to_string(game.AnimationsHash) + " " +
           std::to_string(game.WallPictureHeight);
}

// Why `text`, a `what` of at most `most` characters, cannot be shown; empty when it can.
std::string ShownTextProblem(std::string_view text, const std::string& what, size_t most) {
    size_t characters = 0;
    bool blank = true;
    for (size_t i = 0; i < text.size(); ++characters) {
        const char32_t c = NextUtf8(text, i);
        if (c == 0xfffd) return what + " není platný text UTF-8";
        if (Unshowable(c)) return what + " obsahuje řídicí znak";
        blank = blank && Invisible(c);
    }
    if (blank) return what + " chybí";
    if (characters > most) return what + " je delší než " + std::to_string(most) + " znaků";
    return {};
}

}  // namespace

std::string NicknameProblem(std::string_view name) {
    if (std::string problem = ShownTextProblem(name, "přezdívka", kMaxNicknameCharacters);
        !problem.empty())
        return problem;
    if (IsHiddenModeName(name)) return "výsledky hráče " + std::string(name) + " se nezapisují";
    return {};
}

std::string TitleProblem(std::string_view title) {
    return ShownTextProblem(title, "název sady", kMaxTitleCharacters);
}

std::optional<int64_t> ClaimedNumber(std::string_view text) {
    int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return {};
    return value;
}

std::string PlayerProblem(const Replay& game) {
    if (game.Current < 0) return "hráč hry není v seznamu hráčů";
    // The roster keeps IQ and level in 16 bits: a saved player has no other.
    if (game.Player.Iq != static_cast<int16_t>(game.Player.Iq) ||
        game.Player.Level != static_cast<int16_t>(game.Player.Level) || game.Player.Level < 0)
        return "hráč začíná hru s IQ nebo úrovní, které hra nemůže uložit";
    if (IsHiddenModeName(game.Player.Name))
        return "výsledky hráče " + game.Player.Name + " se nezapisují";
    return {};
}

bool StartsAsNewPlayer(const Replay& game) {
    return game.Player == NewPlayer(game.Player.Name);
}

std::string PlayerStateKey(const Replay& game, int32_t iq, int32_t level, int16_t spareBalls) {
    return Sha256Hex(DataText(game) + " " + std::to_string(static_cast<int16_t>(iq)) + " " +
                     std::to_string(static_cast<int16_t>(level)) + " " +
                     std::to_string(spareBalls) + " " + game.Player.Name);
}

std::string StartStateKey(const Replay& game) {
    return PlayerStateKey(game, game.Player.Iq, game.Player.Level, game.Player.SpareBalls);
}

std::string GameKey(const Replay& game) {
    std::string played = std::to_string(game.Seed) + " " + DataText(game) + " " +
                         std::to_string(game.Player.Iq) + " " + std::to_string(game.Player.Level) +
                         " " + std::to_string(game.Player.SpareBalls) + "\n";
    for (const ReplayEvent& e : game.Events)
        played += std::to_string(e.Step) + " " + std::to_string(static_cast<int>(e.What)) + " " +
                  std::to_string(e.A) + " " + std::to_string(e.B) + "\n";
    played += std::to_string(game.EndStep) + " " + std::string(ReplayEndName(game.End)) + "\n";
    return Sha256Hex(played);
}

}  // namespace ZapModule
