// SPDX-License-Identifier: GPL-3.0-or-later
// The on/off rule of the sound requests and the order of the calls that reach the component; the
// values each call carries are the loader's test (Loader.WorkingLibraryGetsEveryCallInOrder...),
// which sees them arrive through the library's table.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>

#include "sound/recording_sound.h"
#include "sound/sound.h"
#include "tests/storage/storage_test_support.h"

namespace ZapModule {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

struct SoundRules : ::testing::Test, testing::StorageFixture {
    std::shared_ptr<SoundLog> log = std::make_shared<SoundLog>();
    int created = 0;

    SoundRules() {
        s.AppPath = "/games/zapwall";
        s.DataFolder = s.AppPath + "/data";
        s.SoundFactory = [this] {
            ++created;
            return std::make_unique<RecordingSound>(log);
        };
    }
};

TEST_F(SoundRules, StartSetsUpOnlyWithTheSwitchOn) {
    window.SoundSwitch = false;
    SetUpSound(s, 42);
    EXPECT_THAT(log->Calls, IsEmpty());
    EXPECT_EQ(s.SoundReady, kFalse);
    EXPECT_EQ(created, 0) << "the component is not even created";

    window.SoundSwitch = true;
    SetUpSound(s, 42);
    EXPECT_THAT(log->Calls, ElementsAre("Query", "Open"));
    EXPECT_EQ(s.SoundReady, kTrue);
}

TEST_F(SoundRules, PlayAndUpdateFollowTheSwitchAtEveryCall) {
    s.SoundHandles.fill(99);
    window.SoundSwitch = false;
    PlaySound(s, Effect::Bum);
    UpdateSound(s);
    EXPECT_THAT(log->Calls, IsEmpty());
    EXPECT_EQ(s.SoundHandles[0], 99);

    window.SoundSwitch = true;
    PlaySound(s, Effect::Steel);
    PlaySound(s, Effect::Bum);
    UpdateSound(s);
    window.SoundSwitch = false;
    PlaySound(s, Effect::Gong);
    UpdateSound(s);
    EXPECT_THAT(log->Calls, ElementsAre("Play", "Play", "Update"));
    EXPECT_EQ(created, 1) << "one SoundPlayer for the whole run";
}

TEST_F(SoundRules, EveryEffectPlaysItsFileAndKeepsTheHandleAtItsIndex) {
    for (size_t i = 0; i < kEffectFiles.size(); ++i) PlaySound(s, static_cast<Effect>(i));
    EXPECT_THAT(
        log->Played,
        ElementsAre("/games/zapwall/data/sounds/bum.wav", "/games/zapwall/data/sounds/die.wav",
                    "/games/zapwall/data/sounds/dot.wav", "/games/zapwall/data/sounds/effect2.wav",
                    "/games/zapwall/data/sounds/gong.wav", "/games/zapwall/data/sounds/palka.wav",
                    "/games/zapwall/data/sounds/steel.wav", "/games/zapwall/data/sounds/wall.wav"));
    // The stand-in hands out 1, 2, 3, ... in call order.
    EXPECT_THAT(s.SoundHandles, ElementsAre(1, 2, 3, 4, 5, 6, 7, 8));
}

TEST_F(SoundRules, BothCloseHandlersShutDownWhenSoundWasSetUp) {
    ShutDownSound(s);
    EXPECT_THAT(log->Calls, IsEmpty()) << "never set up: nothing to shut down";

    SetUpSound(s, 0);
    window.SoundSwitch = false;  // the switch does not matter at exit
    ShutDownSound(s);
    ShutDownSound(s);
    EXPECT_THAT(log->Calls, ElementsAre("Query", "Open", "StopAll", "Close", "StopAll", "Close"));
}

TEST_F(SoundRules, TheHiddenTuneIgnoresTheSwitchAndSoundReady) {
    window.SoundSwitch = false;
    PlayExtraTune(s);
    EXPECT_THAT(log->Calls, ElementsAre("ExtraSelect", "ExtraStart"));
    EXPECT_EQ(created, 1) << "created on first use";
    EXPECT_EQ(s.SoundReady, kFalse);
}

TEST_F(SoundRules, NoComponentMeansSilenceEverywhere) {
    s.SoundFactory = [] { return std::unique_ptr<SoundComponent>(); };
    SetUpSound(s, 0);
    PlaySound(s, Effect::Die);
    UpdateSound(s);
    PlayExtraTune(s);
    ShutDownSound(s);
    EXPECT_EQ(s.SoundReady, kFalse);
    EXPECT_EQ(s.SoundPlayer, nullptr);
    EXPECT_EQ(s.SoundHandles[1], 0);

    s.SoundFactory = nullptr;
    PlaySound(s, Effect::Die);
    EXPECT_EQ(s.SoundPlayer, nullptr);
}

}  // namespace
}  // namespace ZapModule
