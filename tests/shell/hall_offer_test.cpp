// SPDX-License-Identifier: GPL-3.0-or-later
// An offer to send results to a hall server: which games are offered, and its sends kept on disk
// until the server filed or refused them.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>

#include "model/state.h"
#include "platform/disk_files.h"
#include "shell/hall_offer.h"
#include "tests/storage/storage_test_support.h"

namespace ZapModule {
namespace {

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
    offer.Answered(requests[1], 201, R"({"filed":true})", "");
    EXPECT_EQ(pending.Names(), std::vector<std::string>{requests[0].Kept});
    EXPECT_EQ(pending.Read(requests[0].Kept)->Name, "Bobík");
    offer.Answered(requests[0], 422, R"({"filed":false,"reason":"x"})", "");
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
    // A temporary file of a killed keep, too old for a keep still writing it, goes.
    const std::string old = folder + "/.000010.hall-send.AbC123";
    write(old, "ZAPWALL");
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
    EXPECT_FALSE(EntryExists(old));

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
