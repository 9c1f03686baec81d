#include <gtest/gtest.h>

#include <filesystem>

#include "storage/disk_data_files.h"
#include "storage/memory_data_files.h"
#include "storage/roster.h"
#include "storage_test_support.h"

namespace ZapModule {
namespace {

using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(DiskDataFiles, WritesReplaceTheFileAndReadBack) {
    TempFolder folder;
    DiskDataFiles files(folder.Path());
    EXPECT_FALSE(files.Exists("hall.ko"));
    EXPECT_FALSE(files.Read("hall.ko"));
    ASSERT_TRUE(files.Write("hall.ko", {1, 2, 3, 4, 5}));
    ASSERT_TRUE(files.Write("hall.ko", {9}));
    EXPECT_TRUE(files.Exists("hall.ko"));
    EXPECT_EQ(files.Read("hall.ko"), (std::vector<uint8_t>{9}));
    ASSERT_TRUE(files.Write("empty", {}));
    EXPECT_EQ(files.Read("empty"), std::vector<uint8_t>{});
    EXPECT_EQ(FilesIn(folder.Path()), (std::vector<std::string>{"empty", "hall.ko"}));
}

TEST(DiskDataFiles, AWriteInterruptedAtAnyStepLeavesTheOldFileIntact) {
    for (ReplaceStep failing :
         {ReplaceStep::Create, ReplaceStep::Write, ReplaceStep::Sync, ReplaceStep::Rename}) {
        TempFolder folder;
        WriteBytes(folder / "players.ko", {0xFF, 0xFF});
        DiskDataFiles files(folder.Path());
        files.Fault = [failing](ReplaceStep step) { return step == failing; };
        EXPECT_FALSE(files.Write("players.ko", {1, 2, 3, 4}));
        EXPECT_EQ(ReadBytes(folder / "players.ko"), (std::vector<uint8_t>{0xFF, 0xFF}));
        // The temporary file is gone too.
        EXPECT_EQ(FilesIn(folder.Path()), std::vector<std::string>{"players.ko"});
    }
}

TEST(DiskDataFiles, RefusesFilesBeyondTheLimitAndWhatIsNoFile) {
    TempFolder folder;
    WriteBytes(folder / "ten", std::vector<uint8_t>(10, 7));
    WriteBytes(folder / "eleven", std::vector<uint8_t>(11, 7));
    EXPECT_EQ(ReadWholeFile(folder / "ten", 10), std::vector<uint8_t>(10, 7));
    EXPECT_FALSE(ReadWholeFile(folder / "eleven", 10));
    std::filesystem::create_directory(folder / "hall.ko");
    DiskDataFiles files(folder.Path());
    EXPECT_FALSE(files.Read("hall.ko"));
    EXPECT_TRUE(files.Exists("hall.ko"));  // there, though unreadable
    EXPECT_FALSE(files.Copy("hall.ko", "hall.ko.damaged"));
}

TEST(DiskDataFiles, CopiesAFileWhateverItsSize) {
    TempFolder folder;
    std::vector<uint8_t> big(kMaxDataFileSize + 100);
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<uint8_t>(i * 7);
    WriteBytes(folder / "players.ko", big);
    DiskDataFiles files(folder.Path());
    EXPECT_FALSE(files.Read("players.ko"));
    ASSERT_TRUE(files.Copy("players.ko", "players.ko.damaged"));
    EXPECT_EQ(ReadBytes(folder / "players.ko.damaged"), big);
    EXPECT_FALSE(files.Copy("absent", "absent.damaged"));
}

TEST(SaveRoster, AnInterruptedSaveOnDiskIsReportedAndKeepsTheOldRoster) {
    TempFolder folder;
    PlayerRecord old;
    old.Name = "Old";
    WriteBytes(folder / "players.ko", SerializeRoster({old}));
    DiskDataFiles files(folder.Path());
    files.Fault = [](ReplaceStep step) { return step == ReplaceStep::Rename; };
    testing::StorageFixture f;
    f.s.Files = &files;
    f.s.Players.push_back(PlayerRecord{"New", 1, 1, 1});
    EXPECT_FALSE(SaveRoster(f.s));
    EXPECT_EQ(ReadBytes(folder / "players.ko"), SerializeRoster({old}));
    EXPECT_EQ(f.window.Messages.size(), 1u);
}

TEST(LoadRoster, AFileTooLargeToReadIsSetAsideNotOverwrittenSilently) {
    TempFolder folder;
    WriteBytes(folder / "players.ko", std::vector<uint8_t>(kMaxDataFileSize + 1, 0));
    DiskDataFiles files(folder.Path());
    testing::StorageFixture f;
    f.s.Files = &files;
    LoadRoster(f.s);
    EXPECT_TRUE(f.s.Players.empty());
    EXPECT_EQ(std::filesystem::file_size(folder / "players.ko.damaged"), kMaxDataFileSize + 1);
    EXPECT_EQ(f.window.Messages.size(), 1u);
}

TEST(MemoryDataFiles, HoldsWritesBackUntilCommitted) {
    TempFolder folder;
    WriteBytes(folder / "tick.ko", {1});
    DiskDataFiles disk(folder.Path());
    MemoryDataFiles held(&disk);
    EXPECT_EQ(held.Read("tick.ko"), std::vector<uint8_t>{1});
    ASSERT_TRUE(held.Write("tick.ko", {2}));
    ASSERT_TRUE(held.Write("hall.ko", {3}));
    EXPECT_EQ(held.Read("tick.ko"), std::vector<uint8_t>{2});
    EXPECT_TRUE(held.Exists("hall.ko"));
    EXPECT_EQ(ReadBytes(folder / "tick.ko"), std::vector<uint8_t>{1});
    EXPECT_FALSE(std::filesystem::exists(folder / "hall.ko"));
    ASSERT_TRUE(held.Commit());
    EXPECT_EQ(ReadBytes(folder / "tick.ko"), std::vector<uint8_t>{2});
    EXPECT_EQ(ReadBytes(folder / "hall.ko"), std::vector<uint8_t>{3});
    EXPECT_TRUE(held.Held.empty());
}

}  // namespace
}  // namespace ZapModule
