// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// `zapwall --levels LINK`: a level set published to a hall server is downloaded once, checked
// against its address and kept among the player's sets (sets/published/ADDRESS.ko under the
// player's folder), so that it plays without the network from then on.

#include <optional>
#include <string>

#include "hall_protocol/published_set_link.h"
#include "layout/data_layout.h"

namespace ZapModule {

// The kept file of the set `link` names: the copy kept before while it still holds the set, or
// else the set downloaded now; nothing, with the reason in Czech in *problem, when neither can
// be had. The download runs the application's event loop, within a time limit.
std::optional<std::string> KeptPublishedSet(const DataLayout& game, const PublishedSetLink& link,
                                            std::string* problem);

}  // namespace ZapModule
