// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The Central European code page (Windows-1250) in which the data files store names, converted
// to and from the UTF-8 the rest of the program uses.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ZapModule {

// The character of a code. The five codes the code page leaves undefined (81, 83, 88, 90, 98
// hexadecimal) stand for the control characters of the same number, so every code round-trips.
char32_t Cp1250ToUnicode(uint8_t code);
// The code of a character, or nothing when the code page cannot represent it.
std::optional<uint8_t> UnicodeToCp1250(char32_t c);

// UTF-8 text as codes; a character without a code (or a byte that is not valid UTF-8) becomes '?'.
std::vector<uint8_t> EncodeCp1250(std::string_view utf8);
std::string DecodeCp1250(const std::vector<uint8_t>& codes);
// Whether the text is UTF-8 whose every character has a code, so that it is stored as it is.
bool FitsCp1250(std::string_view utf8);

// The next character of UTF-8 text starting at `i`, which moves past it; a malformed sequence
// (bad lead or continuation byte, overlong form, surrogate, beyond U+10FFFF) gives one U+FFFD
// and moves one byte on.
char32_t NextUtf8(std::string_view text, size_t& i);

// One character appended to UTF-8 text.
void AppendUtf8(std::string& out, char32_t c);

}  // namespace ZapModule
