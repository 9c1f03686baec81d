// SPDX-License-Identifier: GPL-3.0-or-later
// Which folders the program reads and writes: portable beside the program or installed, the
// user's own folder from XDG_DATA_HOME, the tools' --data/--user-data, and the written folder
// appearing only with the first write.

#include <pwd.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "layout/data_layout.h"
#include "storage/disk_data_files.h"
#include "tests/storage/storage_test_support.h"

namespace ZapModule {
namespace {

using testing::ReadBytes;
using testing::TempFolder;

namespace fs = std::filesystem;

// Sets an environment variable for one test and puts the old value back.
class ScopedEnvironment {
  public:
    ScopedEnvironment(const char* name, const std::optional<std::string>& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        Set(value);
    }
    ~ScopedEnvironment() { Set(old_); }

  private:
    void Set(const std::optional<std::string>& value) {
        if (value) {
            ::setenv(name_, value->c_str(), 1);
        } else {
            ::unsetenv(name_);
        }
    }
    const char* name_;
    std::optional<std::string> old_;
};

TEST(ChooseLayout, ADataFolderBesideTheProgramIsReadAndWrittenInPlace) {
    TempFolder root;
    fs::create_directories(root / "game/data");
    const DataLayout layout = ChooseLayout(root / "game", root / "home/zapwall");
    EXPECT_FALSE(layout.Installed);
    EXPECT_EQ(layout.ProgramFolder, root / "game");
    EXPECT_EQ(layout.DataFolder, root / "game/data");
    EXPECT_EQ(layout.UserFolder, root / "game/data");
    EXPECT_EQ(layout.LibraryFolder, root / "game");
}

TEST(ChooseLayout, WithoutOneTheTreeAroundTheProgramIsAnInstallation) {
    TempFolder root;
    fs::create_directories(root / "usr/bin");
    // A file named data is not a data folder.
    testing::WriteText(root / "opt/bin/data", "");
    for (const std::string prefix : {"usr", "opt"}) {
        const DataLayout layout = ChooseLayout(root / (prefix + "/bin"), root / "home/zapwall");
        EXPECT_TRUE(layout.Installed) << prefix;
        EXPECT_EQ(layout.DataFolder, root / (prefix + "/share/zapwall/data"));
        EXPECT_EQ(layout.LibraryFolder, root / (prefix + "/lib/zapwall"));
        EXPECT_EQ(layout.UserFolder, root / "home/zapwall");
    }
}

TEST(UserDataFolder, IsZapwallInXdgDataHomeOrElseInTheHomesLocalShare) {
    TempFolder root;
    {
        const ScopedEnvironment xdg("XDG_DATA_HOME", root / "xdg");
        EXPECT_EQ(UserDataFolder(), root / "xdg/zapwall");
    }
    const ScopedEnvironment home("HOME", root.Path());
    const ScopedEnvironment xdg("XDG_DATA_HOME", std::nullopt);
    EXPECT_EQ(UserDataFolder(), root / ".local/share/zapwall");
}

TEST(UserDataFolder, IgnoresARelativeOrEmptyXdgDataHomeAndAnUnsetHome) {
    TempFolder root;
    const ScopedEnvironment home("HOME", root.Path());
    for (const char* ignored : {"", "saves", "./xdg"}) {
        const ScopedEnvironment xdg("XDG_DATA_HOME", std::string(ignored));
        EXPECT_EQ(UserDataFolder(), root / ".local/share/zapwall") << ignored;
    }
    // Without a usable HOME the account's own home serves, never "//.local/share".
    const passwd* account = ::getpwuid(::getuid());
    ASSERT_NE(account, nullptr);
    const std::string accountHome = std::string(account->pw_dir) == "/" ? "" : account->pw_dir;
    for (const std::optional<std::string>& unusable :
         {std::optional<std::string>(), std::optional<std::string>("relative")}) {
        const ScopedEnvironment noHome("HOME", unusable);
        EXPECT_EQ(UserDataFolder(), accountHome + "/.local/share/zapwall");
    }
}

TEST(ToolLayout, ADataFolderAloneIsPortableAndANamedUserFolderIsWrittenInstead) {
    const DataLayout portable = ToolLayout("/games/data", std::nullopt);
    EXPECT_EQ(portable.DataFolder, "/games/data");
    EXPECT_EQ(portable.UserFolder, "/games/data");

    const DataLayout both = ToolLayout("/usr/share/zapwall/data", "/home/ann/saves");
    EXPECT_EQ(both.DataFolder, "/usr/share/zapwall/data");
    EXPECT_EQ(both.UserFolder, "/home/ann/saves");

    // The rest is the game's own choice for a program where the tool is.
    const DataLayout game = GameLayout();
    const DataLayout userOnly = ToolLayout(std::nullopt, "/home/ann/saves");
    EXPECT_EQ(userOnly.DataFolder, game.DataFolder);
    EXPECT_EQ(userOnly.UserFolder, "/home/ann/saves");
    EXPECT_EQ(ToolLayout(std::nullopt, std::nullopt).UserFolder, game.UserFolder);
}

TEST(UserFolder, IsMadeWithItsParentsByTheFirstWriteAndNotBefore) {
    TempFolder root;
    const std::string folder = root / "xdg/deeper/zapwall";
    DiskDataFiles files(folder);
    EXPECT_FALSE(files.Read("players.ko"));
    EXPECT_FALSE(files.Exists("players.ko"));
    EXPECT_FALSE(files.Copy("players.ko", "players.ko.damaged"));
    EXPECT_FALSE(fs::exists(root / "xdg"));

    ASSERT_TRUE(files.Write("tick.ko", {'8', '0', '0', '0', '\r', '\n'}));
    EXPECT_EQ(testing::ReadText(folder + "/tick.ko"), "8000\r\n");
    // The user's own folders are private to the user.
    for (const std::string& made : {folder, root / "xdg"})
        EXPECT_EQ(int(fs::status(made).permissions() & fs::perms::all), 0700) << made;
    // A later file, in a subfolder too, lands beside it.
    ASSERT_TRUE(files.Write("replays/first", {1, 2, 3}));
    EXPECT_EQ(ReadBytes(folder + "/replays/first"), (std::vector<uint8_t>{1, 2, 3}));
}

TEST(UserFolder, ThatCannotBeMadeFailsTheWriteAndChangesNothing) {
    TempFolder root;
    testing::WriteText(root / "xdg", "a file where the folder should go");
    DiskDataFiles files(root / "xdg/zapwall");
    EXPECT_FALSE(files.Write("players.ko", {0xFF, 0xFF}));
    EXPECT_TRUE(fs::is_regular_file(root / "xdg"));
}

}  // namespace
}  // namespace ZapModule
