// SPDX-License-Identifier: GPL-3.0-or-later
#include "hall_protocol/published_set_link.h"

#include <algorithm>

#include "hall_protocol/hall_send.h"

namespace ZapModule {

namespace {

constexpr std::string_view kSetsPath = "/api/level-sets/";
constexpr std::string_view kFile = "/levels.ko";
constexpr size_t kAddressDigits = 64;

}  // namespace

std::optional<PublishedSetLink> ParsePublishedSetLink(std::string_view link, std::string* problem) {
    const auto refuse = [&](const std::string& why) -> std::optional<PublishedSetLink> {
        *problem = "Odkaz na sadu úrovní „" + std::string(link) + "“ " + why;
        return std::nullopt;
    };
    std::string_view rest = link;
    while (!rest.empty() && rest.back() == '/') rest.remove_suffix(1);
    if (rest.ends_with(kFile)) rest.remove_suffix(kFile.size());
    const size_t sets = rest.rfind(kSetsPath);
    if (sets == std::string_view::npos || rest.size() - sets - kSetsPath.size() != kAddressDigits)
        return refuse("nemá tvar SERVER/api/level-sets/ADRESA.");
    const std::string_view address = rest.substr(sets + kSetsPath.size());
    if (!std::all_of(address.begin(), address.end(),
                     [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); }))
        return refuse("neudává adresu sady (64 šestnáctkových číslic).");
    const std::optional<std::string> server = HallServerAddress(rest.substr(0, sets));
    if (!server) return refuse("nevede na server síně slávy (http:// nebo https://).");
    return PublishedSetLink{*server, std::string(address)};
}

std::string PublishedSetFileUrl(const PublishedSetLink& link) {
    return link.Server + std::string(kSetsPath) + link.Address + std::string(kFile);
}

std::string PublishedSetFileName(const PublishedSetLink& link) {
    return link.Address + ".ko";
}

}  // namespace ZapModule
