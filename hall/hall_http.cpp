// SPDX-License-Identifier: GPL-3.0-or-later
#include "hall/hall_http.h"

#include <iostream>

#include "hall/hall_page.h"
#include "hall/site_files.h"
#include "storage/level_text.h"

namespace ZapModule {

namespace {

HttpAnswer Json(const DeskAnswer& answer) {
    HttpAnswer http;
    http.Status = answer.Status;
    if (answer.RetryAfter > 0)
        http.Headers.emplace_back("Retry-After", std::to_string(answer.RetryAfter));
    http.Headers.emplace_back("Content-Type", "application/json; charset=utf-8");
    // Names are checked before they are filed; should one not be UTF-8, it is shown, not fatal.
    http.Body = answer.Body.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    return http;
}

HttpAnswer Refused(int status, const std::string& reason, int retryAfter = 0) {
    return Json(Refusal(status, reason, retryAfter));
}

// The reason for a request the HTTP server refuses itself.
HttpAnswer ServerRefusal(int status) {
    switch (status) {
        case 411:
            return Refused(411, "chybí délka těla požadavku (Content-Length)");
        case 413:
            return Refused(413, kTooLargeReplay);
        case 503:
            return Refused(503, "server je právě zaneprázdněn, zkuste to za chvíli", 10);
        default:
            return Refused(status, "server selhal");
    }
}

bool IsSend(const HttpRequest& request) {
    return request.Method == "POST" && request.Path == "/api/results";
}

bool IsPublishing(const HttpRequest& request) {
    return request.Method == "POST" && request.Path == "/api/level-sets";
}

// A replay sent as a form would be read as the form's fields.
bool SentAsForm(const HttpRequest& request) {
    const std::string type = request.Header("content-type");
    return type.starts_with("application/x-www-form-urlencoded") ||
           type.starts_with("multipart/form-data");
}

// The address the request came from: the player's as the trusted proxy names it (the last
// address of its X-Forwarded-For), or the connection's own.
std::string SenderOf(const HttpRequest& request, const std::string& trustedProxy) {
    std::string address = request.Peer;
    const std::string forwarded = request.Header("x-forwarded-for");
    if (!trustedProxy.empty() && address == trustedProxy && !forwarded.empty()) {
        const size_t comma = forwarded.rfind(',');
        address = forwarded.substr(comma == std::string::npos ? 0 : comma + 1);
        address.erase(0, address.find_first_not_of(' '));
        address.erase(address.find_last_not_of(' ') + 1);
    }
    return SendBudget::Sender(address);
}

// Only a send and a level set to publish have a body, and they are refused by their head where
// they would be refused anyway.
std::optional<HttpAnswer> Admit(const HttpRequest& request, SendBudget& budget,
                                const std::string& trustedProxy) {
    if (!IsSend(request) && !IsPublishing(request))
        return request.Length.value_or(0) > 0
                   ? std::optional(Refused(413, "tento požadavek nemá mít tělo"))
                   : std::nullopt;
    if (IsPublishing(request) && request.Length.value_or(0) > kMaxPublishedSetBytes)
        return Refused(413, kTooLargeSet);
    if (SentAsForm(request))
        return Refused(415,
                       "záznam hry se posílá jako text (Content-Type: text/plain), ne jako "
                       "formulář");
    if (const int wait = budget.TakeSend(SenderOf(request, trustedProxy)); wait > 0)
        return Refused(429,
                       "z této adresy přišlo příliš mnoho požadavků, zkuste to za " +
                           std::to_string(wait) + " s",
                       wait);
    return std::nullopt;
}

// A filed replay, byte for byte as it was sent, read from the database a piece at a time as it
// is sent, so that no download holds a whole replay.
HttpAnswer Replay(ResultDesk& desk, const std::string& id) {
    constexpr size_t kFirstPiece = 64 * 1024;
    std::string problem;
    uint64_t size = 0;
    const int64_t number = std::stoll(id);
    std::optional<std::string> first = desk.Store().Replay(number, 0, kFirstPiece, &size, &problem);
    if (!problem.empty()) return Json(DatabaseFailed(problem));
    if (!first) return Refused(404, "záznam " + id + " tu není");
    HttpAnswer answer;
    answer.Headers = {
        {"Content-Type", "text/plain; charset=utf-8"},
        {"Content-Disposition", "attachment; filename=\"zapwall-" + id + ".zapwall-replay\""}};
    if (first->size() == size) {
        answer.Body = std::move(*first);
        return answer;
    }
    answer.StreamSize = size;
    // A piece that cannot be read cuts the download off (the client sees it short); the
    // operator is told why.
    answer.Stream = [&desk, number](uint64_t offset, size_t most) {
        std::string failed;
        uint64_t whole = 0;
        std::optional<std::string> piece =
            desk.Store().Replay(number, offset, most, &whole, &failed);
        if (!piece || piece->empty())
            std::cerr << "zapwall-hall-server: the download of replay " << number
                      << " stopped at byte " << offset << ": "
                      << (failed.empty() ? "the replay is gone" : failed) << "\n";
        return std::move(piece).value_or("");
    };
    return answer;
}

// A listed level set's file, as levels.ko or as its text.
HttpAnswer SetFile(ResultDesk& desk, const std::string& address, bool text) {
    std::string problem;
    const std::optional<std::vector<uint8_t>> levels = desk.SetFile(address, &problem);
    if (!problem.empty()) return Json(DatabaseFailed(problem));
    if (!levels) return Refused(404, "sada úrovní " + address + " tu není");
    HttpAnswer answer;
    if (text) {
        answer.Headers = {{"Content-Type", "text/plain; charset=utf-8"}};
        answer.Body = DecompileLevels(*levels);
    } else {
        answer.Headers = {{"Content-Type", "application/octet-stream"},
                          {"Content-Disposition", "attachment; filename=\"levels.ko\""}};
        answer.Body.assign(levels->begin(), levels->end());
    }
    return answer;
}

// The page of the table; it runs no script and loads nothing from elsewhere, whatever a name
// holds.
HttpAnswer Page(ResultDesk& desk, const HttpRequest& request, bool servesSite) {
    const std::string levels = request.Param("levels");
    const std::string month = request.Param("month");
    std::vector<FiledResult> results;
    const DeskAnswer best = desk.Best(levels, month, "100", &results);
    if (best.Status != 200) return Json(best);
    std::string problem;
    const std::vector<ListedSet> sets = desk.Listed(&problem);
    if (!problem.empty()) return Json(DatabaseFailed(problem));
    std::string title = "Nejlepší výsledky";
    if (!levels.empty()) title += " sady " + desk.Sets().NameOf(levels);
    if (!month.empty()) title += " za " + month;
    HttpAnswer answer;
    answer.Headers = {{"Content-Type", "text/html; charset=utf-8"},
                      {"Content-Security-Policy",
                       "default-src 'none'; style-src 'unsafe-inline'; base-uri 'none'"}};
    answer.Body = HallPage(results, sets, title, servesSite ? "/play/" : "");
    return answer;
}

// A filed replay's number: up to 18 digits.
bool IsReplayId(const std::string& text) {
    return !text.empty() && text.size() <= 18 &&
           text.find_first_not_of("0123456789") == std::string::npos;
}

HttpAnswer Route(const HttpRequest& request, ResultDesk& desk, const std::string& site,
                 const std::string& trustedProxy) {
    const std::string& path = request.Path;
    constexpr std::string_view kReplays = "/api/replays/";
    if (IsSend(request))
        return Json(
            desk.Send({request.Param("name"), request.Param("score"), request.Param("level"),
                       request.Body, SenderOf(request, trustedProxy)}));
    if (IsPublishing(request))
        return Json(
            desk.Publish({request.Param("title"), request.Param("author"), request.Body,
                          request.Header("content-type").starts_with("application/octet-stream"),
                          SenderOf(request, trustedProxy)}));
    const bool known = path == "/" || path == "/api/results" ||
                       path.starts_with("/api/level-sets") || path.starts_with(kReplays) ||
                       (!site.empty() && path.starts_with("/play"));
    if (request.Method != "GET" && request.Method != "HEAD")
        return known ? Refused(405, "tato adresa tuto metodu nepřijímá")
                     : Refused(404, "nic takového tu není");
    if (path == "/api/results")
        return Json(
            desk.Best(request.Param("levels"), request.Param("month"), request.Param("limit")));
    if (path == "/api/level-sets") return Json(desk.LevelSets());
    if (constexpr std::string_view kSets = "/api/level-sets/"; path.starts_with(kSets)) {
        const std::string address =
            path.substr(kSets.size(), path.find('/', kSets.size()) - kSets.size());
        const std::string file = path.substr(kSets.size() + address.size());
        if (file == "/levels.ko" || file == "/levels.txt")
            return SetFile(desk, address, file == "/levels.txt");
    }
    if (path.starts_with(kReplays) && IsReplayId(path.substr(kReplays.size())))
        return Replay(desk, path.substr(kReplays.size()));
    if (path == "/") return Page(desk, request, !site.empty());
    if (!site.empty() && path == "/play") {
        HttpAnswer moved;
        moved.Status = 301;
        moved.Headers = {{"Location", "/play/"}};
        return moved;
    }
    if (!site.empty() && path.starts_with("/play/"))
        if (std::optional<HttpAnswer> file =
                SiteFile(site, path.substr(6),
                         request.Header("accept-encoding").find("gzip") != std::string::npos))
            return std::move(*file);
    return Refused(404, "nic takového tu není");
}

}  // namespace

HttpHandlers HallHandlers(ResultDesk& desk, SendBudget& budget, const std::string& site,
                          const std::string& trustedProxy) {
    HttpHandlers handlers;
    handlers.Admit = [&budget, trustedProxy](const HttpRequest& request) {
        return Admit(request, budget, trustedProxy);
    };
    handlers.Slow = [](const HttpRequest& request) {
        return IsSend(request) || IsPublishing(request);
    };
    handlers.Answer = [&desk, site, trustedProxy](const HttpRequest& request) {
        return Route(request, desk, site, trustedProxy);
    };
    handlers.Refused = ServerRefusal;
    handlers.AddressGroup = [trustedProxy](const std::string& peer) {
        return peer == trustedProxy ? std::string() : SendBudget::Sender(peer);
    };
    handlers.Always = {{"Access-Control-Allow-Origin", "*"}, {"X-Content-Type-Options", "nosniff"}};
    return handlers;
}

}  // namespace ZapModule
