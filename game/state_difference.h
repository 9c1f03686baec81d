// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What differs between two game data, in words, for a test failure or a replay that plays out
// differently twice.

#include <cstddef>
#include <string>

#include "model/state.h"

namespace ZapModule {

// The first `limit` members in which a and b differ, each as "Balls[2].Dx: 1.5 != -1.5" (a's
// value first), joined by "; "; empty exactly when a == b.
std::string DataDifference(const GameData& a, const GameData& b, size_t limit = 5);

}  // namespace ZapModule
