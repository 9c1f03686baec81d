// SPDX-License-Identifier: GPL-3.0-or-later
// The start-up preload: what its threads decode, load and register while Qt starts beside them is
// handed out exactly as doing it on the spot would give it, each picture once, and the preload
// ends cleanly whatever was taken. Run under ThreadSanitizer too (label threads).

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QGuiApplication>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/startup_preload.h"
#include "graphics/png_codec.h"
#include "graphics/sprites.h"
#include "pictures/picture_loader.h"
#include "tests/lib/test_files.h"
#include "tests/storage/storage_test_support.h"

namespace ZapModule {
namespace {

namespace fs = std::filesystem;

// A data folder holding every picture start-up reads, each of its own colour, but for ko5, which
// is missing; the sound library is the one in the build folder. The pictures are written without
// Qt, so that a test can leave Qt untouched until the preload has begun.
class StartupPreloadTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::create_directories(folder_ / "pictures");
        layout_.DataFolder = folder_.Path();
        layout_.LibraryFolder = ZAPWALL_BUILD_DIR;
        names_.emplace_back("pictures/gui");
        for (int i = 1; i <= kSpriteCount; ++i) names_.push_back("pictures/ko" + std::to_string(i));
        uint32_t colour = 0xFF102030u;
        for (const std::string& name : names_) {
            colour += 0x00050301u;
            if (name == "pictures/ko5") continue;
            Surface picture(6, 4);
            std::fill(picture.Bits(), picture.Bits() + 6 * 4, colour);
            testing::WriteBytes(PathOf(name), EncodePng(picture));
        }
    }

    std::string PathOf(const std::string& name) const { return folder_ / name; }

    DataLayout layout_;
    std::vector<std::string> names_;

  private:
    testing::TempFolder folder_;
};

// Qt's application on its offscreen platform, made as start-up makes it beside the preload.
std::unique_ptr<QGuiApplication> OffscreenApplication() {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "startup_preload_test";
    static char* argv[] = {name, nullptr};
    return std::make_unique<QGuiApplication>(argc, argv);
}

// Each picture as the loader gives it and as loading it directly does, with the problems.
void ExpectSameAsLoadingDirectly(const PictureLoader& loader, const std::string& path) {
    std::string problem;
    std::string expectedProblem;
    const std::optional<Surface> got = loader(path, &problem);
    const std::optional<Surface> expected = LoadPicture(path, &expectedProblem);
    EXPECT_EQ(got, expected) << path;
    EXPECT_EQ(problem, expectedProblem) << path;
}

TEST_F(StartupPreloadTest, HandsOutWhatLoadingOnTheSpotGivesWhileQtStarts) {
    StartupPreload preload(layout_);
    // As at start-up: Qt starts and asks fontconfig for the fonts while the preload runs.
    const auto app = OffscreenApplication();
    EXPECT_FALSE(QFontDatabase::families().isEmpty());

    const PictureLoader loader = preload.Pictures();
    for (const std::string& name : names_) ExpectSameAsLoadingDirectly(loader, PathOf(name));
    // Taken once already, or never preloaded: read from the file on the spot.
    ExpectSameAsLoadingDirectly(loader, PathOf("pictures/gui"));
    ExpectSameAsLoadingDirectly(loader, PathOf("pictures/ko5"));
    fs::copy_file(PathOf("pictures/ko1"), PathOf("pictures/extra"));
    ExpectSameAsLoadingDirectly(loader, PathOf("pictures/extra"));

    // The sound library, loaded and registered beside Qt's start, plays as one registered on the
    // spot.
    testing::StorageFixture game;
    RegisterSound(game.s, preload.Sound()());
    ASSERT_TRUE(game.s.SoundFactory);
    EXPECT_NE(game.s.SoundFactory(), nullptr);
    UnregisterSound(game.s);
    EXPECT_TRUE(game.window.Messages.empty());
}

// Without a sound library the preload decodes its first picture at once, while the main thread
// has not yet made Qt's application: Qt must still take the main thread for its own.
TEST_F(StartupPreloadTest, LeavesQtsMainThreadToTheMainThreadWithoutALibrary) {
    layout_.LibraryFolder = PathOf("no-library-here");
    StartupPreload preload(layout_);
    const PictureLoader loader = preload.Pictures();
    ASSERT_TRUE(loader(PathOf("pictures/gui"), nullptr));  // the preload's thread is done with it
    static std::vector<std::string> warnings;
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& text) {
        warnings.push_back(text.toStdString());
    });
    const auto app = OffscreenApplication();
    qInstallMessageHandler(nullptr);
    EXPECT_THAT(warnings,
                ::testing::Not(::testing::Contains(::testing::HasSubstr("main() thread"))));
    for (int i = 1; i <= kSpriteCount; ++i)
        loader(PathOf("pictures/ko" + std::to_string(i)), nullptr);
}

TEST_F(StartupPreloadTest, EndsCleanlyWithNothingOrSomeTaken) {
    { StartupPreload untouched(layout_); }
    {
        StartupPreload partly(layout_);
        ExpectSameAsLoadingDirectly(partly.Pictures(), PathOf("pictures/ko3"));
    }
    layout_.LibraryFolder = PathOf("no-library-here");
    StartupPreload withoutLibrary(layout_);
    ExpectSameAsLoadingDirectly(withoutLibrary.Pictures(), PathOf("pictures/ko13"));
    // A missing library is reported where the registration is handed over.
    testing::StorageFixture game;
    RegisterSound(game.s, withoutLibrary.Sound()());
    EXPECT_EQ(testing::OnlyMessage(game.window), kSoundLoadFailedText);
}

}  // namespace
}  // namespace ZapModule
