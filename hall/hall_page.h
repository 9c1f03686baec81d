// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The hall's own page: the level sets with their authors and files, and the table of the best
// results, every name escaped, each entry with its replay to download; where the server serves
// the browser edition, each set plays there and each entry is watched there.

#include <string>
#include <vector>

#include "hall/result_desk.h"

namespace ZapModule {

// The page of `results` (best first), titled after the filter, with the `sets` to choose from;
// `playAt` is the browser edition's address ("/play/"), empty where it is not served.
std::string HallPage(const std::vector<FiledResult>& results, const std::vector<ListedSet>& sets,
                     const std::string& filterTitle, const std::string& playAt);

}  // namespace ZapModule
