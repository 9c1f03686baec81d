// SPDX-License-Identifier: GPL-3.0-or-later
#include "hall/hall_http.h"

#include "hall/hall_page.h"
#include "storage/replay_file.h"

namespace ZapModule {

namespace {

void Answer(httplib::Response& res, const DeskAnswer& answer) {
    res.status = answer.Status;
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
            return "záznam hry je větší než 64 MiB";
        case 414:
            return "adresa je příliš dlouhá";
        default:
            return "chybný požadavek (HTTP " + std::to_string(status) + ")";
    }
}

}  // namespace

void RouteHall(httplib::Server& server, ResultDesk& desk, SendRateLimit& limit,
               const std::string& site) {
    // A replay may be as large as the game allows a replay file to be; no more is read.
    server.set_payload_max_length(kMaxReplayFileSize);
    server.set_read_timeout(30);
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

    server.Post("/api/results", [&](const httplib::Request& req, httplib::Response& res) {
        if (!limit.Take(req.remote_addr)) {
            res.set_header("Retry-After", "60");
            Answer(res, Refusal(429, "z této adresy přišlo příliš mnoho her, zkuste to za chvíli"));
            return;
        }
        if (SentAsForm(req)) return Answer(res, Refusal(415, kNotAForm));
        Answer(res, desk.Send({req.get_param_value("name"), req.get_param_value("score"),
                               req.get_param_value("level"), req.body}));
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
            if (!problem.empty()) return Answer(res, Refusal(500, "databáze selhala: " + problem));
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
