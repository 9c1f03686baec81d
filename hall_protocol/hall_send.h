// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Sending a finished game's result to a hall of fame server (zapwall-hall-server), as both
// frontends do it: which games are offered, where the request goes and in what form, and what
// an answer means for the send. A send happens only after the player's yes; the frontends ask,
// make the request without waiting on it and bring the answer here.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "model/state.h"
#include "storage/replay_file.h"

namespace ZapModule {

// The level the game screen shows for the game's Level, as 16 bits show it.
constexpr int16_t ShownLevel(int32_t level) {
    return static_cast<int16_t>(level + 1);
}

// What a hall server is sent: the nickname, the result the game ended with (the IQ the state
// holds, the level the game screen shows) and the game's replay, which proves it.
struct HallSend {
    std::string Name;  // UTF-8
    int32_t Score = 0;
    int16_t Level = 0;
    std::string Replay;  // the replay file's text

    friend bool operator==(const HallSend&, const HallSend&) = default;
};

// The longest nickname a server takes, in characters.
constexpr size_t kMaxHallNicknameCharacters = 32;
// How long a whole send may take, answer and all, before it counts as failed (and is kept for
// later): a server that sends a byte now and then is not waited on for longer.
constexpr int kHallSendTimeoutMillis = 20'000;
// The longest answer a send reads; a longer one is no hall server's and the send is kept.
constexpr size_t kMaxHallAnswerBytes = 64 * 1024;

// The send a game ending in this state offers, under the roster's name of its player: one that
// ended by a game over or a quit, which the server files; nothing for a game closed mid-play or
// cut short.
std::optional<HallSend> OfferedHallSend(const GameState& s, const Replay& game);

// Whether `text` is meant as a web address (it starts with http:// or https://, in any case).
bool IsWebLink(std::string_view text);

// The server's address from the setting as the player wrote it (blanks around it and a final
// '/' left out): "http://host:port", perhaps with a path. Nothing for an empty setting, and for
// one that is no http(s) address, with the reason in Czech in `problem`.
std::optional<std::string> HallServerAddress(std::string_view setting,
                                             std::string* problem = nullptr);

// The address the send is posted to, the replay being the body, as text/plain:
// ADDRESS/api/results?name=NICK&score=IQ&level=N, the nickname percent-encoded as UTF-8.
std::string HallSendUrl(const std::string& address, const HallSend& send);

// The address a level set is published to, its levels.ko being the body, as
// application/octet-stream: ADDRESS/api/level-sets?title=TITLE&author=NICK, both percent-encoded.
std::string LevelSetPublishUrl(const std::string& address, std::string_view title,
                               std::string_view author);

// What an answer means for a send: filed (or filed before), refused for good by the server with
// its reason, or failed on the way, when it is kept and offered again.
enum class HallSendOutcome : uint8_t { Filed, Refused, Failed };
struct HallSendAnswer {
    HallSendOutcome Outcome = HallSendOutcome::Failed;
    std::string Text;  // for the player, in Czech
};

// A text with every byte but letters, digits and -._~ as %XX, as an address's query takes it;
// and back (nothing for a broken %XX).
std::string PercentEncoded(std::string_view text);
std::optional<std::string> PercentDecoded(std::string_view text);

// The answer to a send from its HTTP `status` and the answer's whole `body`; status 0 when no
// answer came. `problem` says why no whole answer came (the network's words, a timeout, a body
// cut off or longer than kMaxHallAnswerBytes, a redirect, which is never followed): the send
// then failed, whatever the status. Only the hall server's own answer ends a send: filed, a
// 201 or 200 whose body is one complete JSON object with "filed": true; refused, a refusal of
// the game itself (400, 413, 415, 422) whose JSON object gives a "reason" and does not say
// filed. Everything else (a busy or failing server, an HTML page, a JSON of another kind, a
// redirect) failed, and the send is kept.
HallSendAnswer ReadHallAnswer(int status, std::string_view body, std::string_view problem);

}  // namespace ZapModule
