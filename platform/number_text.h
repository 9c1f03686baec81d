// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Floating-point numbers read from text as std::from_chars reads them (the same in every locale),
// also where the platform's C++ library lacks the floating-point from_chars (emscripten's).

#include <charconv>

namespace ZapModule {

std::from_chars_result FloatFromChars(const char* first, const char* last, float& value);
std::from_chars_result FloatFromChars(const char* first, const char* last, double& value);

}  // namespace ZapModule
