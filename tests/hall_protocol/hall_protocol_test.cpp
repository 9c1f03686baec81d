// SPDX-License-Identifier: GPL-3.0-or-later
// The hall server's protocol as the game speaks it: what an answer means, which addresses are
// taken, and which published set a link names.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "hall_protocol/hall_send.h"
#include "hall_protocol/published_set_link.h"

namespace ZapModule {
namespace {

// A hall server's answers: filed, filed before, refused.
constexpr const char* kFiled =
    R"({"filed": true, "earlier": false, "entry": {"id": 7, "name": "\u0160\u00e1rka \ud83d\ude00",
        "score": -1.5e2, "levelSet": "", "steps": [0, null, false]}})";
constexpr const char* kRefused = R"({"filed":false,"reason":"hra nebyla dohr\u00e1na"})";

TEST(HallSendTest, OnlyTheHallServersOwnWholeAnswerEndsASend) {
    using enum HallSendOutcome;
    const std::string deep = std::string(5000, '[') + std::string(5000, ']');
    const struct {
        int Status;
        std::string Body;
        const char* Problem;
        HallSendOutcome Outcome;
        const char* Shown;
    } cases[] = {
        {201, kFiled, "", Filed, "zapsán"},
        {200, R"( {"filed":true,"earlier":true} )", "", Filed, "už"},
        {422, kRefused, "", Refused, "hra nebyla dohrána"},
        {400, R"({"reason":"\"jm\u00e9no\"\n"})", "", Refused, "\"jméno\"\n"},
        // Something that is no hall server, or not its whole answer.
        {200, "<html><body>Vítejte</body></html>", "", Failed, "HTTP 200"},
        {200, R"({"ok":true})", "", Failed, "HTTP 200"},
        {201, R"({"filed":"true"})", "", Failed, "HTTP 201"},
        {201, R"({"filed":true,"entry":{"id":7)", "", Failed, "HTTP 201"},
        {201, R"({"filed":true} {"filed":true})", "", Failed, "HTTP 201"},
        {201, R"({"filed":true,"name":"\ud800"})", "", Failed, "HTTP 201"},
        {201, "{\"filed\":true,\"name\":\"a\tb\"}", "", Failed, "HTTP 201"},
        {201, kFiled, "odpověď přišla neúplná", Failed, "neúplná"},
        {201, "[" + deep + "]", "", Failed, "HTTP 201"},
        {302, "", "", Failed, "přesměrování"},
        // A refusal that is not of the game, or not the server's.
        {422, "<html>Unprocessable</html>", "", Failed, "HTTP 422"},
        {422, R"({"filed":false})", "", Failed, "HTTP 422"},
        {422, R"({"filed":true,"reason":"x"})", "", Failed, "HTTP 422"},
        {404, R"({"filed":false,"reason":"nic takového tu není"})", "", Failed, "nic takového"},
        {429, R"({"filed":false,"reason":"zkuste to později"})", "", Failed, "později"},
        {500, R"({"filed":false,"reason":"databáze selhala"})", "", Failed, "databáze selhala"},
        {503, kRefused, "", Failed, "HTTP 503"},
        {0, "", "spojení odmítnuto", Failed, "spojení odmítnuto"},
    };
    for (const auto& c : cases) {
        const HallSendAnswer answer = ReadHallAnswer(c.Status, c.Body, c.Problem);
        EXPECT_EQ(answer.Outcome, c.Outcome) << c.Status << " " << c.Body.substr(0, 80);
        EXPECT_NE(answer.Text.find(c.Shown), std::string::npos) << answer.Text;
    }
}

TEST(HallSendTest, TakesHttpAddressesAndSaysWhatIsWrongWithOthers) {
    const struct {
        const char* Setting;
        std::optional<std::string> Address;
        bool Problem;
    } cases[] = {
        {" http://127.0.0.1:8765/ \n", "http://127.0.0.1:8765", false},
        {"HTTPS://hall.example/zapwall//", "HTTPS://hall.example/zapwall", false},
        {"  ", std::nullopt, false},
        {"hall.example:8765", std::nullopt, true},
        {"http://", std::nullopt, true},
        {"http:///api", std::nullopt, true},
        {"http://hall example", std::nullopt, true},
        {"http://hall/?x=1", std::nullopt, true},
    };
    for (const auto& c : cases) {
        std::string problem;
        EXPECT_EQ(HallServerAddress(c.Setting, &problem), c.Address) << c.Setting;
        EXPECT_EQ(!problem.empty(), c.Problem) << c.Setting << ": " << problem;
    }
}

TEST(HallSendTest, FindsThePublishedSetALinkNames) {
    const std::string address(64, 'a');
    const struct {
        std::string Link;
        const char* Server;  // nullptr: refused
    } cases[] = {
        {"http://127.0.0.1:8765/api/level-sets/" + address, "http://127.0.0.1:8765"},
        {"https://hall.example/zapwall/api/level-sets/" + address + "/levels.ko/",
         "https://hall.example/zapwall"},
        {"http://hall/api/level-sets/" + address + "0", nullptr},
        {"http://hall/api/level-sets/" + std::string(64, 'A'), nullptr},
        {"http://hall/api/level-sets/" + address + "/levels.txt", nullptr},
        {"/api/level-sets/" + address, nullptr},
        {"http://hall/level-sets/" + address, nullptr},
    };
    for (const auto& c : cases) {
        std::string problem;
        const std::optional<PublishedSetLink> link = ParsePublishedSetLink(c.Link, &problem);
        ASSERT_EQ(link.has_value(), c.Server != nullptr) << c.Link << ": " << problem;
        EXPECT_EQ(problem.empty(), link.has_value()) << c.Link;
        if (!link) continue;
        EXPECT_EQ(link->Server, c.Server);
        EXPECT_EQ(PublishedSetFileUrl(*link),
                  link->Server + "/api/level-sets/" + address + "/levels.ko");
    }
    EXPECT_TRUE(IsWebLink("HTTP://x"));
    EXPECT_FALSE(IsWebLink("levels.txt"));
}

}  // namespace
}  // namespace ZapModule
