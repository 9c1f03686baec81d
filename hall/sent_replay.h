// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the server reads from a sent game before any engine plays it: the nickname's and the
// claim's form, the level set and the ending the replay names, and the key that makes two sends
// of one game one entry. The replay itself is read and played only by zapwall-sim.

#include <optional>
#include <string>
#include <string_view>

namespace ZapModule {

// The longest nickname, in characters.
constexpr size_t kMaxNicknameCharacters = 32;

// Why a nickname cannot be shown (in Czech), empty when it can: it must be UTF-8 of 1 to 32
// characters, not all blank, with no control or direction-changing character.
std::string NicknameProblem(std::string_view name);

// The number a claim's field holds, nothing when it is not a whole decimal number.
std::optional<int64_t> ClaimedNumber(std::string_view text);

// The words after `keyword` on the replay's first line that begins with it ("levels"), or on
// its last such line (`last`, for "end"); nothing when there is none.
std::optional<std::string_view> ReplayLine(std::string_view replay, std::string_view keyword,
                                           bool last = false);

// The game's key: a SHA-256 of the replay without what does not change the game (the date of
// the recording, the inputs' and the end's milliseconds, the checksum), so a copy with a touched
// date is the same game.
std::string GameKey(std::string_view replay);

}  // namespace ZapModule
