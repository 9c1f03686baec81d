// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The game state as JSON for zapwall-sim: every variable by its name, records as objects with
// their field names, rectangles as {"Left","Top","Right","Bottom"}, flags as -1 and 0, floats
// written shortest so that they read back as the same float. The same names are read back by
// --state, where each key present replaces that variable.

#include <nlohmann/json.hpp>
#include <string>

#include "model/state.h"

namespace ZapModule {

// Ordered keys, and numbers with a fraction held as float: the game's own width.
using Json = nlohmann::basic_json<nlohmann::ordered_map, std::vector, std::string, bool,
                                  std::int64_t, std::uint64_t, float>;

// Every variable of the game state and of Form1.
Json StateToJson(const GameState& s);

// Replaces the variables named in `state`; a record's missing fields become 0, and replacing
// Balls, Movers, Bricks or Bonuses also sets their rectangles. Returns an error text for a key it
// does not know or a value of the wrong shape; the state is then partly changed and must not be
// used.
std::string ApplyJsonState(GameState& s, const Json& state);

}  // namespace ZapModule
