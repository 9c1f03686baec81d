// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the server reads from a sent game before any engine plays it: the nickname's and the
// claim's form, the game's start (a new player's, or a saved player's that an earlier filed game
// must have left), and the key that makes every send of one game one entry. The replay is read by
// the game's own reader; only zapwall-sim plays it.

#include <optional>
#include <string>
#include <string_view>

#include "storage/replay_file.h"

namespace ZapModule {

// The longest nickname, in characters.
constexpr size_t kMaxNicknameCharacters = 32;

// Why a nickname cannot be shown (in Czech), empty when it can: it must be UTF-8 of 1 to 32
// characters with at least one visible one, no control or direction-changing character, and not
// a name whose results the game's own hall of fame leaves out.
std::string NicknameProblem(std::string_view name);

// The longest title of a published level set, in characters.
constexpr size_t kMaxTitleCharacters = 64;
// Why a published level set's title cannot be shown, as for a nickname.
std::string TitleProblem(std::string_view title);

// The number a claim's field holds, nothing when it is not a whole decimal number.
std::optional<int64_t> ClaimedNumber(std::string_view text);

// Why the hall takes no result of this game whatever its play (in Czech), empty when it may: its
// player is outside the roster it names, or plays under a name the game's hall of fame leaves out.
std::string PlayerProblem(const Replay& game);

// Whether the game starts as a player just made in the menu: no IQ, the first level, three balls.
bool StartsAsNewPlayer(const Replay& game);

// The state a saved player is in, as the roster file keeps it (IQ and level in 16 bits): the
// data the game is played on, the player's name, IQ, level and spare balls, as one key. A game
// that resumes a player continues the filed game whose end left this key.
std::string PlayerStateKey(const Replay& game, int32_t iq, int32_t level, int16_t spareBalls);
// The state the game began in.
std::string StartStateKey(const Replay& game);

// The game's key: a SHA-256 of what decides its play and nothing else (the seed, the data, the
// starting player's progress, every input by step and the end), so a copy with a changed date,
// speed, sound switch, hall of fame, roster or name is the same game.
std::string GameKey(const Replay& game);

}  // namespace ZapModule
