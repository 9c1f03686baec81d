// SPDX-License-Identifier: GPL-3.0-or-later
#include "hall/hall_http.h"

#include "hall/hall_page.h"
#include "storage/replay_file.h"

namespace ZapModule {

namespace {

void Answer(httplib::Response& res, const DeskAnswer& answer) {
    res.status = answer.Status;
    if (answer.RetryAfter > 0) res.set_header("Retry-After", std::to_string(answer.RetryAfter));
    // Names are checked before they are filed; should one not be UTF-8, it is shown, not fatal.
    res.set_content(answer.Body.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace),
                    "application/json; charset=utf-8");
}

// A replay sent as a form would be read as the form's fields (and refused beyond 8 KiB).
constexpr const char* kNotAForm =
    "záznam hry se posílá jako text (Content-Type: text/plain), ne jako formulář";

bool SentAsForm(const httplib::Request& req) {
    const std::string type = req.get_header_value("Content-Type");
    return type.starts_with("application/x-www-form-urlencoded") ||
           type.starts_with("multipart/form-data");
}

// The reason for a refusal that no handler wrote.
std::string StatusReason(const httplib::Request& req, int status) {
    if (SentAsForm(req)) return kNotAForm;
    switch (status) {
        case 404:
            return "nic takového tu není";
        case 405:
            return "tato adresa tuto metodu nepřijímá";
        case 413:
            return kTooLargeReplay;
        case 414:
            return "adresa je příliš dlouhá";
        default:
            return "chybný požadavek (HTTP " + std::to_string(status) + ")";
    }
}

// The address the request came from: the player's as the trusted proxy names it (the last
// address of its X-Forwarded-For), or the connection's own.
std::string SenderOf(const httplib::Request& req, const std::string& trustedProxy) {
    std::string address = req.remote_addr;
    if (!trustedProxy.empty() && address == trustedProxy && req.has_header("X-Forwarded-For")) {
        const std::string forwarded = req.get_header_value("X-Forwarded-For");
        const size_t comma = forwarded.rfind(',');
        address = forwarded.substr(comma == std::string::npos ? 0 : comma + 1);
        address.erase(0, address.find_first_not_of(' '));
        address.erase(address.find_last_not_of(' ') + 1);
    }
    return SendBudget::Sender(address);
}

}  // namespace

void RouteHall(httplib::Server& server, ResultDesk& desk, SendBudget& budget,
               const std::string& site, const std::string& trustedProxy) {
    // No replay larger than the hall takes is read.
    server.set_payload_max_length(kMaxSentReplayBytes);
    server.set_read_timeout(10);
    server.set_write_timeout(10);
    server.set_keep_alive_timeout(5);
    server.set_default_headers(
        {{"Access-Control-Allow-Origin", "*"}, {"X-Content-Type-Options", "nosniff"}});
    server.set_error_handler([](const httplib::Request& req, httplib::Response& res) {
        if (res.body.empty()) Answer(res, Refusal(res.status, StatusReason(req, res.status)));
    });
    server.set_exception_handler(
        [](const httplib::Request&, httplib::Response& res, const std::exception_ptr& error) {
            std::string what = "neznámá chyba";
            try {
                std::rethrow_exception(error);
            } catch (const std::exception& e) {
                what = e.what();
            } catch (...) {
            }
            Answer(res, Refusal(500, "server selhal: " + what));
        });

    server.Post(
        "/api/results", [&, trustedProxy](const httplib::Request& req, httplib::Response& res) {
            const std::string sender = SenderOf(req, trustedProxy);
            if (const int wait = budget.TakeSend(sender); wait > 0)
                return Answer(res, Refusal(429,
                                           "z této adresy přišlo příliš mnoho her, zkuste to za " +
                                               std::to_string(wait) + " s",
                                           wait));
            if (SentAsForm(req)) return Answer(res, Refusal(415, kNotAForm));
            Answer(res, desk.Send({req.get_param_value("name"), req.get_param_value("score"),
                                   req.get_param_value("level"), req.body, sender}));
        });
    server.Get("/api/results", [&](const httplib::Request& req, httplib::Response& res) {
        Answer(res, desk.Best(req.get_param_value("levels"), req.get_param_value("month"),
                              req.get_param_value("limit")));
    });
    server.Get("/api/level-sets", [&](const httplib::Request&, httplib::Response& res) {
        Answer(res, desk.LevelSets());
    });
    server.Get(
        R"(/api/replays/(\d{1,18}))", [&](const httplib::Request& req, httplib::Response& res) {
            std::string problem;
            const std::string id = req.matches[1];
            const std::optional<std::string> replay = desk.Store().Replay(std::stoll(id), &problem);
            if (!problem.empty()) return Answer(res, DatabaseFailed(problem));
            if (!replay) return Answer(res, Refusal(404, "záznam " + id + " tu není"));
            res.set_header("Content-Disposition",
                           "attachment; filename=\"zapwall-" + id + ".zapwall-replay\"");
            res.set_content(*replay, "text/plain; charset=utf-8");
        });
    server.Get("/", [&, site](const httplib::Request& req, httplib::Response& res) {
        const std::string levels = req.get_param_value("levels");
        const std::string month = req.get_param_value("month");
        std::vector<FiledResult> results;
        const DeskAnswer best = desk.Best(levels, month, "100", &results);
        if (best.Status != 200) return Answer(res, best);
        std::string title = "Nejlepší výsledky";
        if (const AcceptedLevelSet* set = desk.Sets().Find(levels)) title += " sady " + set->Name;
        if (!month.empty()) title += " za " + month;
        // The page runs no script and loads nothing from elsewhere, whatever a name holds.
        res.set_header("Content-Security-Policy",
                       "default-src 'none'; style-src 'unsafe-inline'; base-uri 'none'");
        res.set_content(HallPage(results, desk.Sets(), title, site.empty() ? "" : "/play/"),
                        "text/html; charset=utf-8");
    });
    if (!site.empty()) {
        server.set_file_extension_and_mimetype_mapping("wasm", "application/wasm");
        server.set_mount_point("/play", site);
    }
}

}  // namespace ZapModule
