// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The hall's HTTP interface:
//
//   POST /api/results?name=NICK&score=IQ&level=N   the body: the replay file; 201 filed, 200 filed
//                                                  before, 4xx refused with {"reason": …}, 429
//                                                  and 503 with Retry-After: to be sent again
//   GET  /api/results[?levels=HASH][&month=YYYY-MM][&limit=N]   the best results, best first
//   POST /api/level-sets?title=TITLE&author=NICK   the body: a level text (text/plain) or a
//                                                  levels.ko (application/octet-stream);
//                                                  201 published, 200 published before, 4xx
//                                                  refused with {"reason": …}
//   GET  /api/level-sets                           the level sets accepted, installed and
//                                                  published, with their results
//   GET  /api/level-sets/ADDRESS/levels.ko|levels.txt   a set's file, by its SHA-256
//   GET  /api/replays/ID                           a filed replay
//   GET  /                                         the page of the table (same filters)
//   GET  /play/…                                   the browser edition, where one is served

#include <string>

#include "hall/http_server.h"
#include "hall/result_desk.h"
#include "hall/send_budget.h"

namespace ZapModule {

// The handlers that route the server's requests to `desk`; sends beyond a sender's `budget` are
// refused. `site` is the browser edition's folder, empty for none; requests from `trustedProxy`
// (an address, or empty) are the player's whose address its X-Forwarded-For names last, and its
// connections are not capped.
HttpHandlers HallHandlers(ResultDesk& desk, SendBudget& budget, const std::string& site,
                          const std::string& trustedProxy);

}  // namespace ZapModule
