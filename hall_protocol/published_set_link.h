// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A level set published to a hall of fame server, named by its link:
// SERVER/api/level-sets/ADDRESS, or the link of its file, SERVER/api/level-sets/ADDRESS/levels.ko,
// ADDRESS the SHA-256 of the set's levels.ko in 64 lowercase hex digits. The set is downloaded
// from there and checked against its address, and its results are offered to that server.

#include <optional>
#include <string>
#include <string_view>

namespace ZapModule {

struct PublishedSetLink {
    std::string Server;   // as HallServerAddress gives it
    std::string Address;  // the set's SHA-256
};

// The set `link` names; nothing when it names none, with the reason in Czech in *problem.
std::optional<PublishedSetLink> ParsePublishedSetLink(std::string_view link, std::string* problem);

// Where the set's levels.ko is downloaded from.
std::string PublishedSetFileUrl(const PublishedSetLink& link);

// The set's file name among the player's kept sets: ADDRESS.ko.
std::string PublishedSetFileName(const PublishedSetLink& link);

}  // namespace ZapModule
