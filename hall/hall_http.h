// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The hall's HTTP interface:
//
//   POST /api/results?name=NICK&score=IQ&level=N   the body: the replay file; 201 filed, 200 filed
//                                                  before, 4xx refused with {"reason": …}
//   GET  /api/results[?levels=HASH][&month=YYYY-MM][&limit=N]   the best results, best first
//   GET  /api/level-sets                           the level sets accepted
//   GET  /api/replays/ID                           a filed replay
//   GET  /                                         the page of the table (same filters)
//   GET  /play/…                                   the browser edition, where one is served

#include <httplib.h>

#include <string>

#include "hall/result_desk.h"
#include "hall/send_rate_limit.h"

namespace ZapModule {

// Routes the server's requests to `desk`; sends beyond `limit` are refused. `site` is the
// browser edition's folder, empty for none.
void RouteHall(httplib::Server& server, ResultDesk& desk, SendRateLimit& limit,
               const std::string& site);

}  // namespace ZapModule
