// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/number_text.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <string>

namespace ZapModule {

namespace {

#ifdef __EMSCRIPTEN__
// strtof and strtod read the same numbers as from_chars, once what only they accept (leading
// blanks, a plus sign, hexadecimal) is refused; their overflow and underflow are from_chars'
// result_out_of_range. They round as correctly (a subnormal result is out of range there too).
template <typename Number>
std::from_chars_result Read(const char* first, const char* last, Number& value,
                            Number (*parse)(const char*, char**)) {
    const std::string text(first, last);
    if (text.empty() || std::isspace(static_cast<unsigned char>(text[0])) || text[0] == '+' ||
        text.find_first_of("xX") != std::string::npos)
        return {first, std::errc::invalid_argument};
    char* parsed = nullptr;
    errno = 0;
    const Number read = parse(text.c_str(), &parsed);
    const char* end = first + (parsed - text.c_str());
    if (end == first) return {first, std::errc::invalid_argument};
    if (errno == ERANGE) return {end, std::errc::result_out_of_range};
    value = read;
    return {end, std::errc()};
}
#endif

}  // namespace

std::from_chars_result FloatFromChars(const char* first, const char* last, float& value) {
#ifdef __EMSCRIPTEN__
    return Read(first, last, value, std::strtof);
#else
    return std::from_chars(first, last, value);
#endif
}

std::from_chars_result FloatFromChars(const char* first, const char* last, double& value) {
#ifdef __EMSCRIPTEN__
    return Read(first, last, value, std::strtod);
#else
    return std::from_chars(first, last, value);
#endif
}

}  // namespace ZapModule
