// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/hall_send.h"

#include <cctype>

namespace ZapModule {

namespace {

constexpr std::string_view kBlanks = " \t\r\n";

bool StartsWithLower(std::string_view text, std::string_view start) {
    if (text.size() < start.size()) return false;
    for (size_t i = 0; i < start.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != start[i]) return false;
    return true;
}

// The server's answer for the player: its reason, or the status when it gave none.
std::string Said(int status, std::string_view reason) {
    return reason.empty() ? "HTTP " + std::to_string(status) : std::string(reason);
}

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

HallSendAnswer ReadHallAnswer(int status, std::string_view reason, std::string_view problem) {
    if (status == 200) return {HallSendOutcome::Filed, "Tato hra už v síni slávy je zapsána."};
    if (status == 201) return {HallSendOutcome::Filed, "Výsledek je zapsán v síni slávy."};
    if (status == 0)
        return {HallSendOutcome::Failed,
                "Server síně slávy neodpověděl (" + std::string(problem) + ")."};
    const bool busy = status == 408 || status == 429 || status >= 500;
    if (status >= 400 && status < 500 && !busy && !reason.empty())
        return {HallSendOutcome::Refused, "Server výsledek odmítl: " + std::string(reason)};
    return {HallSendOutcome::Failed,
            "Server výsledek teď nepřijal (" + Said(status, reason) + ")."};
}

}  // namespace ZapModule
