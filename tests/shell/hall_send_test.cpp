// SPDX-License-Identifier: GPL-3.0-or-later
// Sending results to a hall server: what an answer means, which addresses are taken, and an
// offer's sends kept on disk until the server filed or refused them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "game/contract/state.h"
#include "shell/hall_offer.h"
#include "tests/storage/storage_test_support.h"

namespace ZapModule {
namespace {

TEST(HallSendTest, OnlyARefusalWithTheServersReasonIsFinal) {
    const struct {
        int Status;
        const char* Reason;
        HallSendOutcome Outcome;
    } cases[] = {
        {201, "", HallSendOutcome::Filed},
        {200, "", HallSendOutcome::Filed},
        {422, "hra nebyla dohrána", HallSendOutcome::Refused},
        {400, "řídicí znak", HallSendOutcome::Refused},
        {0, "", HallSendOutcome::Failed},
        {404, "", HallSendOutcome::Failed},
        {429, "zkuste to později", HallSendOutcome::Failed},
        {408, "x", HallSendOutcome::Failed},
        {503, "x", HallSendOutcome::Failed},
        {302, "", HallSendOutcome::Failed},
    };
    for (const auto& c : cases) {
        const HallSendAnswer answer = ReadHallAnswer(c.Status, c.Reason, "spojení odmítnuto");
        EXPECT_EQ(answer.Outcome, c.Outcome) << c.Status;
        EXPECT_NE(answer.Text.find(c.Status == 0 ? "spojení odmítnuto" : c.Reason),
                  std::string::npos)
            << answer.Text;
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
    offer.Answered(requests[1], 201, "", "");
    EXPECT_EQ(pending.Names(), std::vector<std::string>{requests[0].Kept});
    EXPECT_EQ(pending.Read(requests[0].Kept)->Name, "Bobík");
    offer.Answered(requests[0], 422, "hra nebyla dohrána", "");
    EXPECT_TRUE(pending.Names().empty());

    // A damaged file is left alone; a full folder keeps no more and says so.
    std::ofstream(folder + "/000001.hall-send") << "ZAPWALL-HALL-SEND 1\nname %G\n";
    EXPECT_FALSE(pending.Read("000001.hall-send"));
    for (size_t i = 1; i < kMaxPendingHallSends; ++i) EXPECT_TRUE(pending.Keep(earlier, &problem));
    EXPECT_FALSE(pending.Keep(earlier, &problem));
    EXPECT_NE(problem.find("20"), std::string::npos);
    EXPECT_NE(HallOffer(address, pending, earlier).Accept("Ann")[0].NotKept, "");
}

}  // namespace
}  // namespace ZapModule
