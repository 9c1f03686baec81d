// SPDX-License-Identifier: GPL-3.0-or-later
// The loader against stand-in libraries (tests/sound/fake_component.c): what reaches a working
// library, and the message and silence for each way a library can be missing or broken.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/program_place.h"
#include "sound/component_loader.h"
#include "sound/sound.h"
#include "tests/storage/storage_test_support.h"

namespace ZapModule {
namespace {

using ::testing::ElementsAre;
using ::testing::EndsWith;
using ::testing::IsEmpty;

std::string FakeFolder(const std::string& variant) {
    return std::string(ZAPWALL_FAKE_COMPONENTS) + "/" + variant;
}

// The texts of the message boxes shown, in order.
std::vector<std::string> Texts(const RecordingWindow& window) {
    std::vector<std::string> texts;
    for (const RecordingWindow::Message& m : window.Messages) texts.push_back(m.Text);
    return texts;
}

struct Loader : ::testing::Test, testing::StorageFixture {
    Loader() {
        s.AppPath = "/hra";
        s.DataFolder = s.AppPath + "/data";
    }

    // Plays a little through the game's functions: all of it must stay silent and harmless.
    void PlayAStep() {
        SetUpSound(s, 1);
        PlaySound(s, Effect::Bum);
        UpdateSound(s);
        PlayExtraTune(s);
        ShutDownSound(s);
    }
};

TEST_F(Loader, WorkingLibraryGetsEveryCallInOrderWithTheGamesArguments) {
    RegisterSound(s, FakeFolder("working"));
    EXPECT_THAT(window.Messages, IsEmpty());

    SetUpSound(s, 4321);
    PlaySound(s, Effect::Wall);
    UpdateSound(s);
    PlayExtraTune(s);
    ShutDownSound(s);
    UnregisterSound(s);
    EXPECT_THAT(window.Messages, IsEmpty());
    EXPECT_EQ(s.SoundReady, kTrue);
    EXPECT_EQ(s.SoundHandles[7], 7) << "the library's handle";

    // The stand-in keeps its log for the whole process; this run starts at its last registration.
    EXPECT_THAT(s.SoundPlayer->Query(),
                EndsWith("DllRegisterServer;Create(1);Open(0,4321,0,16);"
                         "Play(/hra/data/sounds/wall.wav,0,-1);Update(-1);ExtraSelect();ExtraStart;"
                         "StopAll;Close;DllUnregisterServer;"));

    s.SoundPlayer.reset();  // releases the object: the log shows it
    s.SoundPlayer = s.SoundFactory();
    EXPECT_THAT(s.SoundPlayer->Query(), EndsWith("DllUnregisterServer;Release;Create(1);"));
}

// Start-up loads and registers the library on a thread of its own and hands the registration to
// the game later; one that is never handed over (the run ends before) is undone, silently.
TEST_F(Loader, RegistrationMadeAheadIsHandedOverOrUndone) {
    { const SoundRegistration dropped = LoadSoundLibrary(FakeFolder("working")); }
    SoundRegistration ahead = LoadSoundLibrary(FakeFolder("working"));
    EXPECT_THAT(window.Messages, IsEmpty()) << "nothing is reported before it is handed over";
    RegisterSound(s, std::move(ahead));
    EXPECT_THAT(window.Messages, IsEmpty());
    SetUpSound(s, 1);
    UnregisterSound(s);
    EXPECT_THAT(s.SoundPlayer->Query(),
                EndsWith("DllRegisterServer;DllUnregisterServer;DllRegisterServer;"
                         "Create(1);Open(0,1,0,16);DllUnregisterServer;"));

    // A failing library made ahead is reported when it is handed over, as on the spot.
    SoundRegistration failing = LoadSoundLibrary(FakeFolder("failing"));
    EXPECT_EQ(window.Messages.size(), 0u);
    RegisterSound(s, std::move(failing));
    EXPECT_THAT(Texts(window), ElementsAre("Chyba během načítání!"));
    EXPECT_EQ(s.SoundFactory(), nullptr);
}

// Each way a library can be missing or broken: the game plays on in silence, and says so in the
// message boxes of registration and unregistration that the library's status asks for.
TEST_F(Loader, BrokenLibrariesReportAndLeaveTheGameSilent) {
    const testing::TempFolder missing, notALibrary;
    std::ofstream(notALibrary / std::string(kSoundLibraryFile)) << "not a library";
    const std::vector<std::string> both = {"Chyba během načítání!", "Chyba při čištění paměti!"};
    const struct {
        std::string Folder;
        std::vector<std::string> Texts;
    } cases[] = {
        {missing.Path(), both},
        {notALibrary.Path(), both},
        {FakeFolder("failing"), both},                           // non-zero status both ways
        {FakeFolder("no_register"), {"Chyba během načítání!"}},  // unregistering succeeds
        {FakeFolder("no_factory"), {"Chyba během načítání!"}},
        {FakeFolder("short_table"), {}},  // a player table of an older interface is refused
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Folder);
        window.Messages.clear();
        RegisterSound(s, c.Folder);
        PlayAStep();
        EXPECT_EQ(s.SoundPlayer, nullptr);
        EXPECT_EQ(s.SoundReady, kFalse);
        UnregisterSound(s);
        EXPECT_EQ(Texts(window), c.Texts);
        for (const auto& message : window.Messages) {
            EXPECT_EQ(message.Title, "Zapwall");
            EXPECT_EQ(message.Buttons, MessageButtons::Ok);
        }
    }
}

TEST_F(Loader, UnregisteringWithoutTheLibraryReports) {
    s.SoundFactory = [] { return std::unique_ptr<SoundComponent>(); };
    UnregisterSound(s);
    EXPECT_THAT(Texts(window), ElementsAre("Chyba při čištění paměti!"));
}

TEST(ProgramFolder, IsTheFolderOfTheRunningProgram) {
    const std::filesystem::path folder = ProgramFolder();
    EXPECT_TRUE(folder.is_absolute());
    EXPECT_TRUE(std::filesystem::exists(folder / "sound_loader_test"));
}

}  // namespace
}  // namespace ZapModule
