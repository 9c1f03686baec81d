// SPDX-License-Identifier: GPL-3.0-or-later
// Playing a level set of one's own: each set gets a folder of its own under the player's folder,
// named after the set and its place, with the game's data and the set's levels; a set the game
// would refuse makes nothing.

#include <gtest/gtest.h>

#include <filesystem>

#include "layout/level_set_layout.h"
#include "tests/storage/storage_test_support.h"

namespace ZapModule {
namespace {

using testing::ReadBytes;
using testing::TempFolder;
using testing::Values16;
using testing::WriteBytes;
using testing::WriteText;

// A level file the game plays: one level of one brick worth `points`.
std::vector<uint8_t> Levels(int points) {
    return Values16({1, 1, 0, 0, points, 0, 0, 0});
}

TEST(LevelSetLayout, EachSetHasAFolderOfItsOwnWithTheGamesDataAndItsLevels) {
    TempFolder root;
    WriteText(root / "game/animations.ko", "animations");
    WriteText(root / "game/pictures/ko6", "bricks");
    WriteText(root / "game/sounds/bum.wav", "bum");
    WriteText(root / "game/levels.ko", "shipped levels");
    WriteText(root / "game/players.ko", "the shipped set's players");
    const DataLayout game = PortableLayout(root / "bin", root / "game");

    std::string problem;
    const auto set = LevelSetLayout(game, root / "mine/moje úrovně.ko", Levels(1), &problem);
    ASSERT_TRUE(set) << problem;
    EXPECT_EQ(set->UserFolder.rfind(root / "game/sets/moje___rovn__-", 0), 0u) << set->UserFolder;
    EXPECT_EQ(set->DataFolder, set->UserFolder + "/data");
    EXPECT_EQ(set->LibraryFolder, game.LibraryFolder);
    EXPECT_EQ(ReadBytes(set->DataFolder + "/levels.ko"), Levels(1));
    EXPECT_EQ(ReadBytes(set->DataFolder + "/pictures/ko6"), ReadBytes(root / "game/pictures/ko6"));
    EXPECT_EQ(ReadBytes(set->DataFolder + "/sounds/bum.wav"),
              ReadBytes(root / "game/sounds/bum.wav"));
    EXPECT_FALSE(std::filesystem::exists(set->DataFolder + "/players.ko"));

    // The same name elsewhere is another set; the same file again is the same folder, its data
    // renewed.
    const auto other = LevelSetLayout(game, root / "other/moje úrovně.ko", Levels(2), &problem);
    ASSERT_TRUE(other);
    EXPECT_NE(other->UserFolder, set->UserFolder);
    // Files that are already up to date are not written again: a game running on the set meanwhile
    // never sees them change.
    const auto written = std::filesystem::last_write_time(set->DataFolder + "/pictures/ko6");
    std::filesystem::last_write_time(set->DataFolder + "/pictures/ko6",
                                     written - std::chrono::hours(1));
    ASSERT_TRUE(LevelSetLayout(game, root / "mine/moje úrovně.ko", Levels(1), &problem));
    EXPECT_EQ(std::filesystem::last_write_time(set->DataFolder + "/pictures/ko6"),
              written - std::chrono::hours(1));
    const auto again =
        LevelSetLayout(game, root / "mine/../mine/moje úrovně.ko", Levels(3), &problem);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->UserFolder, set->UserFolder);
    EXPECT_EQ(ReadBytes(again->DataFolder + "/levels.ko"), Levels(3));
}

TEST(LevelSetLayout, ASetTheGameWouldRefuseOrThatHasNoFolderMakesNothing) {
    TempFolder root;
    const DataLayout game = PortableLayout(root / "bin", root / "game");
    std::string problem;
    const std::string text = "level\n";
    EXPECT_FALSE(LevelSetLayout(game, root / "levels.txt", {text.begin(), text.end()}, &problem));
    EXPECT_EQ(problem.rfind(root / "levels.txt nelze hrát: levels.ko: ", 0), 0u) << problem;
    EXPECT_FALSE(std::filesystem::exists(root / "game"));
    // A game without sounds still plays a set: the game's own check names what is missing.
    EXPECT_TRUE(LevelSetLayout(game, root / "set.ko", Levels(1), &problem)) << problem;
    // A folder that cannot be made says why.
    WriteText(root / "file", "");
    EXPECT_FALSE(LevelSetLayout(PortableLayout(root / "bin", root / "file"), root / "set.ko",
                                Levels(1), &problem));
    EXPECT_NE(problem.find("složku nelze vytvořit (v cestě ke složce je soubor"), std::string::npos)
        << problem;
}

TEST(LevelSetLayout, GameDataThatCannotBeReadIsNamedWithTheReasonInCzech) {
    TempFolder root;
    WriteText(root / "game/pictures/ko6", "bricks");
    const DataLayout game = PortableLayout(root / "bin", root / "game");
    std::string problem;
    // A dangling link is a file the game's data lacks, left to the start-up check like others.
    std::filesystem::create_symlink("nowhere", root / "game/pictures/ko7");
    EXPECT_TRUE(LevelSetLayout(game, root / "set.ko", Levels(1), &problem)) << problem;
    std::filesystem::create_symlink("ko8", root / "game/pictures/ko8");
    EXPECT_FALSE(LevelSetLayout(game, root / "set.ko", Levels(1), &problem));
    EXPECT_EQ(problem, root / "game/pictures/ko8" + ": symbolické odkazy tvoří smyčku");
}

}  // namespace
}  // namespace ZapModule
