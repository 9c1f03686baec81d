// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The hall's own page: the table of the best results, every name escaped, each entry with its
// replay to download and, where the server serves the browser edition, to watch there.

#include <string>
#include <vector>

#include "hall/accepted_level_sets.h"
#include "hall/result_store.h"

namespace ZapModule {

// The page of `results` (best first), titled after the filter; `playAt` is the browser
// edition's address ("/play/"), empty where it is not served.
std::string HallPage(const std::vector<FiledResult>& results, const AcceptedLevelSets& sets,
                     const std::string& filterTitle, const std::string& playAt);

}  // namespace ZapModule
