// SPDX-License-Identifier: GPL-3.0-or-later
// The program in the installed layout: the game's data comes from one folder, the player's files
// are read from and written to the user's own folder, which the first save makes.

#include <gtest/gtest.h>

#include "storage/tick.h"
#include "tests/frontend/program_fixture.h"

namespace ZapModule {
namespace {

class InstalledProgramTest : public ProgramTest {
  protected:
    std::string UserFolder() const { return (folder_ / "home/.local/share/zapwall").string(); }
    void SetUp() override {
        ProgramTest::SetUp();
        Installed = DataLayout{true,         (folder_ / "bin").string(),         Data().string(),
                               UserFolder(), (folder_ / "lib/zapwall").string(), {}};
    }
};

TEST_F(InstalledProgramTest, KeepsThePlayersFilesInTheUsersFolderOnly) {
    Launch();
    EXPECT_EQ(Menu().Players().List()->count(), 0);
    EXPECT_FALSE(std::filesystem::exists(UserFolder()));
    Menu().show();
    Menu().close();
    EXPECT_EQ(exits_, std::vector<int>{0});
    DiskDataFiles user(UserFolder());
    EXPECT_EQ(user.Read(kTickFile), FormatTick(8000));
    EXPECT_EQ(user.Read(kRosterFile), SerializeRoster({}));
    EXPECT_FALSE(std::filesystem::exists(Data() / kRosterFile));
    EXPECT_FALSE(std::filesystem::exists(Data() / kTickFile));
}

TEST_F(InstalledProgramTest, ReadsThePlayersFilesFromTheUsersFolder) {
    DiskDataFiles user(UserFolder());
    ASSERT_TRUE(user.Write(kRosterFile, SerializeRoster({PlayerRecord{"Ann", 3, 120, 2}})));
    ASSERT_TRUE(user.Write(kTickFile, FormatTick(9998)));
    WriteDataFile(kRosterFile, SerializeRoster({PlayerRecord{"Bob", 3, 0, 0}}));
    Launch();
    ASSERT_EQ(Menu().Players().List()->count(), 1);
    EXPECT_EQ(State().Players.at(0).Name, "Ann");
    EXPECT_EQ(Menu().TickSetting(), 9998);
}

}  // namespace
}  // namespace ZapModule
