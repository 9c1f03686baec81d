// SPDX-License-Identifier: GPL-3.0-or-later
// Sending results to a hall server: what an answer means, which addresses are taken, and an
// offer's sends kept on disk until the server filed or refused them.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>

#include "game/contract/state.h"
#include "platform/disk_files.h"
#include "shell/hall_offer.h"
#include "shell/published_set_link.h"
#include "tests/storage/storage_test_support.h"

namespace ZapModule {
namespace {

// A hall server's answers: filed, filed before, refused.
constexpr const char* kFiled =
    R"({"filed": true, "earlier": false, "entry": {"id": 7, "name": "\u0160\u00e1rka \ud83d\ude00",
        "score": -1.5e2, "levelSet": "", "steps": [0, null, false]}})";
constexpr const char* kRefused = R"({"filed":false,"reason":"hra nebyla dohr\u00e1na"})";

TEST(HallSendTest, OnlyTheHallServersOwnWholeAnswerEndsASend) {
    const std::string deep = std::string(5000, '[') + std::string(5000, ']');
    const struct {
        int Status;
        std::string Body;
        const char* Problem;
        HallSendOutcome Outcome;
        const char* Shown;
    } cases[] = {
        {201, kFiled, "", HallSendOutcome::Filed, "zapsán"},
        {200, R"( {"filed":true,"earlier":true} )", "", HallSendOutcome::Filed, "už"},
        {422, kRefused, "", HallSendOutcome::Refused, "hra nebyla dohrána"},
        {400, R"({"reason":"\"jm\u00e9no\"\n"})", "", HallSendOutcome::Refused, "\"jméno\"\n"},
        // Something that is no hall server, or not its whole answer.
        {200, "<html><body>Vítejte</body></html>", "", HallSendOutcome::Failed, "HTTP 200"},
        {200, R"({"ok":true})", "", HallSendOutcome::Failed, "HTTP 200"},
        {201, R"({"filed":"true"})", "", HallSendOutcome::Failed, "HTTP 201"},
        {201, R"({"filed":true,"entry":{"id":7)", "", HallSendOutcome::Failed, "HTTP 201"},
        {201, R"({"filed":true} {"filed":true})", "", HallSendOutcome::Failed, "HTTP 201"},
        {201, R"({"filed":true,"name":"\ud800"})", "", HallSendOutcome::Failed, "HTTP 201"},
        {201, "{\"filed\":true,\"name\":\"a\tb\"}", "", HallSendOutcome::Failed, "HTTP 201"},
        {201, kFiled, "odpověď přišla neúplná", HallSendOutcome::Failed, "neúplná"},
        {201, "[" + deep + "]", "", HallSendOutcome::Failed, "HTTP 201"},
        {302, "", "", HallSendOutcome::Failed, "přesměrování"},
        // A refusal that is not of the game, or not the server's.
        {422, "<html>Unprocessable</html>", "", HallSendOutcome::Failed, "HTTP 422"},
        {422, R"({"filed":false})", "", HallSendOutcome::Failed, "HTTP 422"},
        {422, R"({"filed":true,"reason":"x"})", "", HallSendOutcome::Failed, "HTTP 422"},
        {404, R"({"filed":false,"reason":"nic takového tu není"})", "", HallSendOutcome::Failed,
         "nic takového"},
        {429, R"({"filed":false,"reason":"zkuste to později"})", "", HallSendOutcome::Failed,
         "později"},
        {500, R"({"filed":false,"reason":"databáze selhala"})", "", HallSendOutcome::Failed,
         "databáze selhala"},
        {503, kRefused, "", HallSendOutcome::Failed, "HTTP 503"},
        {0, "", "spojení odmítnuto", HallSendOutcome::Failed, "spojení odmítnuto"},
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

class HallOfferTest : public ::testing::Test {
  protected:
    GameState s;
    // A folder of each test's own: ctest runs the tests side by side.
    testing::TempFolder temp;
    const std::string folder = temp / "hall-sends";
    PendingHallSends pending{folder};
    const std::string address = "http://hall:8765";
};

TEST_F(HallOfferTest, OffersOnlyFinishedGamesWithTheirResultAsTheScreenShowsIt) {
    Replay game;
    game.Player.Name = "Ťuňťa & spol";
    s.Iq = 120;
    s.Level = 32767;
    for (const ReplayEnd end : {ReplayEnd::Closed, ReplayEnd::Cut}) {
        game.End = end;
        EXPECT_FALSE(OfferedHallSend(s, game));
    }
    game.End = ReplayEnd::GameOver;
    const HallSend send = OfferedHallSend(s, game).value();
    EXPECT_EQ(
        HallSendUrl(address, send),
        address + "/api/results?name=%C5%A4u%C5%88%C5%A5a%20%26%20spol&score=120&level=-32768");
    EXPECT_EQ(send.Replay, ReplayText(game));
    EXPECT_EQ(ParsePendingSend(PendingSendText(send)), send);
}

TEST_F(HallOfferTest, KeepsEverySendUntilTheServerFiledOrRefusedIt) {
    const HallSend earlier{"Ann", 70, 2, "replay 1\n"};
    std::string problem;
    ASSERT_TRUE(pending.Keep(earlier, &problem));
    EXPECT_FALSE(HallOffer(std::nullopt, pending, earlier).Asks());
    EXPECT_TRUE(HallOffer(address, pending).Asks());

    HallOffer offer(address, pending, HallSend{"Bob", 500, 4, "replay 2\n"});
    EXPECT_NE(offer.Question().find("IQ 500, úroveň 4"), std::string::npos);
    EXPECT_NE(offer.Question().find("1 dříve neodeslaný výsledek"), std::string::npos);
    const std::vector<HallRequest> requests = offer.Accept("Bobík");
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].Url, address + "/api/results?name=Bob%C3%ADk&score=500&level=4");
    EXPECT_EQ(requests[1].Body, earlier.Replay);
    EXPECT_EQ(pending.Names().size(), 2u);  // the game is kept before it is sent

    offer.Answered(requests[0], 0, "", "vypršel čas na odpověď");
    offer.Answered(requests[1], 201, kFiled, "");
    EXPECT_EQ(pending.Names(), std::vector<std::string>{requests[0].Kept});
    EXPECT_EQ(pending.Read(requests[0].Kept)->Name, "Bobík");
    offer.Answered(requests[0], 422, kRefused, "");
    EXPECT_TRUE(pending.Names().empty());

    // A full folder keeps no more and says so.
    for (size_t i = 0; i < kMaxPendingHallSends; ++i) EXPECT_TRUE(pending.Keep(earlier, &problem));
    EXPECT_FALSE(pending.Keep(earlier, &problem));
    EXPECT_NE(problem.find("20"), std::string::npos);
    EXPECT_NE(HallOffer(address, pending, earlier).Accept("Ann")[0].NotKept, "");
}

TEST_F(HallOfferTest, NumbersKeptSendsPastSixDigitsSoThatTheyAreStillListed) {
    const HallSend send{"Ann", 70, 2, "replay\n"};
    const struct {
        std::vector<std::string> There;
        std::vector<std::string> Listed;  // after one more is kept
    } cases[] = {
        {{}, {"000001.hall-send"}},
        {{"000009.hall-send"}, {"000009.hall-send", "000010.hall-send"}},
        {{"999999.hall-send"}, {"999999.hall-send", "1000000.hall-send"}},
        {{"1000001.hall-send", "999998.hall-send"},
         {"999998.hall-send", "1000001.hall-send", "1000002.hall-send"}},
        // The last number there is gives way to the first free one.
        {{"999999999999999999.hall-send", "000001.hall-send"},
         {"000001.hall-send", "000002.hall-send", "999999999999999999.hall-send"}},
    };
    for (const auto& c : cases) {
        testing::TempFolder own;
        PendingHallSends sends(own.Path());
        for (const std::string& name : c.There) std::ofstream(own / name) << PendingSendText(send);
        std::string problem;
        ASSERT_TRUE(sends.Keep(send, &problem)) << problem;
        EXPECT_EQ(sends.Names(), c.Listed);
        EXPECT_EQ(sends.Read(c.Listed.back()), send);
    }
}

TEST_F(HallOfferTest, SetsAsideWhatIsNoKeptSendAndNeverCountsIt) {
    namespace fs = std::filesystem;
    const HallSend send{"Ann", 70, 2, "replay\n"};
    const std::string kept = PendingSendText(send);
    const auto write = [](const std::string& path, const std::string& text) {
        std::ofstream(path) << text;
    };
    // Each is made as 00000N.hall-send, N its row's number.
    const struct {
        std::function<void(const std::string&)> Make;
        const char* Why;
    } junk[] = {
        {[&](const std::string& p) { write(p, ""); }, "prázdný"},
        {[](const std::string& p) { ::mkfifo(p.c_str(), 0600); }, "obyčejný"},
        {[](const std::string& p) { fs::create_directory(p); }, "obyčejný"},
        {[&](const std::string& p) {
             write(p, kept);
             fs::resize_file(p, kMaxReplayFileSize + 8192);
         },
         "velký"},
        {[&](const std::string& p) { write(p, "ZAPWALL-HALL-SEND 1\nname %G\n"); }, "není"},
        {[&](const std::string& p) {
             write(p, "<html>");
             fs::create_directory(p + ".damaged");  // the first name aside is taken
         },
         "není"},
        {[&](const std::string& p) {
             write(p, kept);
             fs::permissions(p, fs::perms::none);
         },
         "oprávnění"},
    };
    // Root reads what no mode allows.
    const size_t count = std::size(junk) - (::geteuid() == 0 ? 1 : 0);
    fs::create_directories(folder);
    const auto path = [&](size_t n) {
        return folder + "/00000" + std::to_string(n) + ".hall-send";
    };
    for (size_t i = 0; i < count; ++i) junk[i].Make(path(i + 1));
    write(path(8), kept);
    write(folder + "/0000009.hall-send", "");  // no kept send's name: left alone
    // Temporary files of a killed keep: an old one goes, a young one may still be written.
    const std::string old = folder + "/.000010.hall-send.AbC123";
    const std::string young = folder + "/.000011.hall-send.XyZ789";
    write(old, "ZAPWALL");
    write(young, "ZAPWALL");
    fs::last_write_time(old, fs::file_time_type::clock::now() - std::chrono::hours(1));

    const HallOffer offer(address, pending);
    EXPECT_EQ(pending.Names(), std::vector<std::string>{"000008.hall-send"});
    ASSERT_EQ(offer.Notes().size(), count);
    EXPECT_NE(offer.Question().find(offer.Notes()[0]), std::string::npos);
    for (size_t i = 0; i < count; ++i) {
        const std::string aside = path(i + 1) + (i == 5 ? ".damaged.1" : ".damaged");
        EXPECT_TRUE(EntryExists(aside) && !EntryExists(path(i + 1))) << aside;
        EXPECT_NE(offer.Notes()[i].find(fs::path(aside).filename().string()), std::string::npos);
        EXPECT_NE(offer.Notes()[i].find(junk[i].Why), std::string::npos) << offer.Notes()[i];
    }
    EXPECT_TRUE(EntryExists(folder + "/0000009.hall-send"));
    EXPECT_TRUE(!EntryExists(old) && EntryExists(young));

    // A file damaged past its header is set aside when it is read.
    write(path(8), "ZAPWALL-HALL-SEND 1\nname A\nscore 1\nlevel 99999\nreplay\n");
    EXPECT_FALSE(pending.Read("000008.hall-send"));
    EXPECT_EQ(pending.TakeNotes().size(), 1u);
    // Junk never blocks keeping a send, whatever its number.
    std::string problem;
    EXPECT_EQ(pending.Keep(send, &problem), "000009.hall-send") << problem;
}
}  // namespace
}  // namespace ZapModule
