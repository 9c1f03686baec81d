// SPDX-License-Identifier: GPL-3.0-or-later
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <utime.h>

#include <ctime>
#include <filesystem>
#include <fstream>

#include "game/data_check.h"
#include "game/kept_files.h"
#include "storage/disk_data_files.h"
#include "storage/file_problems.h"
#include "storage/hall.h"
#include "storage/memory_data_files.h"
#include "storage/roster.h"
#include "storage/tick.h"
#include "storage_test_support.h"
#include "values/data_limits.h"

namespace ZapModule {
namespace {

using testing::DiskFixture;
using testing::FilesIn;
using ::testing::HasSubstr;
using testing::OnlyMessage;
using testing::ReadBytes;
using ::testing::StartsWith;
using testing::TempFolder;
using testing::Values16;
using testing::WriteBytes;
namespace fs = std::filesystem;

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

TEST(DiskDataFiles, RefusesFilesBeyondTheLimit) {
    TempFolder folder;
    WriteBytes(folder / "ten", std::vector<uint8_t>(10, 7));
    WriteBytes(folder / "eleven", std::vector<uint8_t>(11, 7));
    EXPECT_EQ(ReadWholeFile(folder / "ten", 10), std::vector<uint8_t>(10, 7));
    EXPECT_FALSE(ReadWholeFile(folder / "eleven", 10));
}

TEST(DiskDataFiles, CopiesAFileWhateverItsSize) {
    TempFolder folder;
    std::vector<uint8_t> big(kMaxKeptFileBytes + 100);
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<uint8_t>(i * 7);
    WriteBytes(folder / "players.ko", big);
    DiskDataFiles files(folder.Path());
    EXPECT_FALSE(files.Read("players.ko"));
    ASSERT_TRUE(files.Copy("players.ko", "players.ko.damaged"));
    EXPECT_EQ(ReadBytes(folder / "players.ko.damaged"), big);
    EXPECT_FALSE(files.Copy("absent", "absent.damaged"));
}

TEST(DiskDataFiles, KeepsAHugeSparseFileWithoutCopyingIt) {
    DiskFixture f;
    { std::ofstream(f.folder / "players.ko") << "start"; }
    fs::resize_file(f.folder / "players.ko", uint64_t{2} << 30);
    LoadRoster(f.s);
    // The same file under the kept name: no second 2 GiB, at once.
    struct stat kept {
    }, original{};
    ASSERT_EQ(::stat((f.folder / "players.ko.damaged").c_str(), &kept), 0);
    ASSERT_EQ(::stat((f.folder / "players.ko").c_str(), &original), 0);
    EXPECT_EQ(kept.st_ino, original.st_ino);
    EXPECT_THAT(OnlyMessage(f.window),
                HasSubstr("Původní soubor je uschován jako players.ko.damaged."));
    // The save replaces the name; the kept file stays whole.
    EXPECT_TRUE(SaveRoster(f.s));
    EXPECT_EQ(fs::file_size(f.folder / "players.ko.damaged"), uint64_t{2} << 30);
    EXPECT_LT(fs::file_size(f.folder / "players.ko"), 16u);
}

// Each kind of file that is not a regular one, in place of a data file. A FIFO without a writer
// used to hang the reader in its open.
enum class Kind { Fifo, Folder, Socket, Device };

void MakeNonRegular(const std::string& path, Kind kind) {
    fs::create_directories(fs::path(path).parent_path());
    switch (kind) {
        case Kind::Fifo:
            ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0);
            break;
        case Kind::Folder:
            fs::create_directory(path);
            break;
        case Kind::Socket: {
            const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            ASSERT_LT(path.size(), sizeof address.sun_path);
            path.copy(address.sun_path, path.size());
            ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
            ::close(fd);
            break;
        }
        case Kind::Device:
            fs::create_symlink("/dev/zero", path);
            break;
    }
}

TEST(NonRegularFiles, AreRefusedAtOnceInPlaceOfEveryDataFile) {
    for (Kind kind : {Kind::Fifo, Kind::Folder, Kind::Socket, Kind::Device}) {
        SCOPED_TRACE(static_cast<int>(kind));
        for (const std::string name : {"levels.ko", "animations.ko"}) {
            TempFolder folder;
            MakeNonRegular(folder / name, kind);
            EXPECT_EQ(ReadRequiredFile(folder.Path(), name).Problems,
                      std::vector<std::string>{name + ": není to obyčejný soubor"});
        }
        for (const std::string name : {"players.ko", "hall.ko", "tick.ko"}) {
            DiskFixture f;
            MakeNonRegular(f.folder / name, kind);
            LoadRoster(f.s);
            LoadHallOfFame(f.s);
            EXPECT_EQ(LoadTick(f.s), kDefaultTick);
            EXPECT_FALSE(f.files.Copy(name, name + ".copy"));
            EXPECT_THAT(OnlyMessage(f.window),
                        StartsWith("Soubor " + name +
                                   " nelze přečíst (není to obyčejný soubor), hra z něj nic "
                                   "nepoužila. Původní soubor se nepodařilo uschovat"));
        }
    }
}

TEST(ReplaceFile, GivesNewFilesTheUsualModeAndKeepsAnOwnersMode) {
    TempFolder folder;
    const mode_t mask = ::umask(022);
    ::umask(mask);
    const auto modeOf = [&](const std::string& name) {
        struct stat info {};
        ::stat((folder / name).c_str(), &info);
        return info.st_mode & 07777;
    };
    DiskDataFiles files(folder.Path());
    ASSERT_TRUE(files.Write("tick.ko", {1}));
    EXPECT_EQ(modeOf("tick.ko"), 0666 & ~mask) << "not mkstemp's 0600";
    WriteBytes(folder / "players.ko", {1});
    ::chmod((folder / "players.ko").c_str(), 0);
    ASSERT_TRUE(files.Write("players.ko", {2}));
    EXPECT_EQ(modeOf("players.ko"), 0666 & ~mask) << "mode 000 is not passed on";
    ::chmod((folder / "players.ko").c_str(), 0640);
    ASSERT_TRUE(files.Write("players.ko", {3}));
    EXPECT_EQ(modeOf("players.ko"), 0640u);
}

TEST(ReplaceFile, WritesThroughASymbolicLinkAndKeepsIt) {
    TempFolder folder;
    fs::create_directory(folder / "real");
    WriteBytes(folder / "real/players.ko", {1});
    fs::create_symlink("real/players.ko", folder / "players.ko");
    fs::create_symlink(folder / "real/hall.ko", folder / "hall.ko");  // dangling, absolute
    DiskDataFiles files(folder.Path());
    ASSERT_TRUE(files.Write("players.ko", {2}));
    ASSERT_TRUE(files.Write("hall.ko", {3}));
    EXPECT_TRUE(fs::is_symlink(folder / "players.ko"));
    EXPECT_TRUE(fs::is_symlink(folder / "hall.ko"));
    EXPECT_EQ(ReadBytes(folder / "real/players.ko"), std::vector<uint8_t>{2});
    EXPECT_EQ(ReadBytes(folder / "real/hall.ko"), std::vector<uint8_t>{3});
    fs::create_symlink("loop", folder / "loop");
    EXPECT_FALSE(files.Write("loop", {4}));
    EXPECT_EQ(files.LastWriteProblem(), "symbolické odkazy tvoří smyčku");
}

TEST(DiskDataFiles, OpeningAFolderForWritingRemovesOnlyStaleTemporaryFilesOfOurs) {
    TempFolder folder;
    const auto age = [&](const std::string& name, time_t seconds) {
        WriteBytes(folder / name, {0});
        const utimbuf times{std::time(nullptr) - seconds, std::time(nullptr) - seconds};
        ::utime((folder / name).c_str(), &times);
    };
    age(".players.ko.Ab3xYz", 120);         // a killed save's: goes
    age(".hall.ko.damaged.2.Qw7rTy", 120);  // a killed kept copy's: goes
    age(".tick.ko.Fr35hh", 5);              // may be a save running now: stays
    age(".notes.txt.Ab3xYz", 120);          // not ours: stays
    age(".players.ko.toolong1", 120);       // not our naming: stays
    DiskDataFiles files(folder.Path());
    EXPECT_TRUE(files.Read("players.ko") == std::nullopt);
    EXPECT_TRUE(fs::exists(folder / ".players.ko.Ab3xYz")) << "reading leaves the folder alone";
    ASSERT_TRUE(files.Write("tick.ko", {1}));
    EXPECT_EQ(FilesIn(folder.Path()),
              (std::vector<std::string>{".notes.txt.Ab3xYz", ".players.ko.toolong1",
                                        ".tick.ko.Fr35hh", "tick.ko"}));
}

TEST(FileProblems, WordTheWriteErrorsAndAFolderInTheFilesPlace) {
    EXPECT_EQ(WriteErrorText(ENOSPC), "disk je plný");
    EXPECT_EQ(WriteErrorText(EROFS), "disk je jen pro čtení");
    EXPECT_EQ(WriteErrorText(EACCES), "chybí oprávnění k zápisu");
    // A folder where the file should be is named so, not by its error's number.
    TempFolder folder;
    fs::create_directory(folder / "folder.ko");
    int error = 0;
    EXPECT_FALSE(ReplaceFile(folder / "folder.ko", {1}, {}, &error));
    EXPECT_EQ(WriteErrorText(error), "na místě souboru je složka");
    // A folder that cannot be read lacks the permission to read, not to write.
    EXPECT_EQ(FolderReadErrorText(EACCES), "chybí oprávnění ke čtení složky");
}

// Records the order in which a commit reaches the disk.
struct OrderedDisk : DiskDataFiles {
    using DiskDataFiles::DiskDataFiles;
    std::vector<std::string> Calls;
    bool FailCopies = false;
    bool Write(const std::string& name, const std::vector<uint8_t>& bytes) override {
        Calls.push_back("write " + name);
        return DiskDataFiles::Write(name, bytes);
    }
    bool Copy(const std::string& name, const std::string& copyName) override {
        Calls.push_back("copy " + name + " " + copyName);
        return !FailCopies && DiskDataFiles::Copy(name, copyName);
    }
};

TEST(MemoryDataFiles, CommitsAKeptCopyBeforeTheFileItKeepsWhateverItsSize) {
    TempFolder folder;
    std::vector<uint8_t> big(kMaxKeptFileBytes + 10, 1);
    WriteBytes(folder / "players.ko", big);
    OrderedDisk disk(folder.Path());
    MemoryDataFiles held(&disk);
    testing::StorageFixture f;
    f.s.Files = &held;
    LoadRoster(f.s);
    f.s.Players.push_back(PlayerRecord{"Ann", 1, 2, 3});
    ASSERT_TRUE(SaveRoster(f.s));
    EXPECT_EQ(held.Pending(), (std::vector<std::string>{"players.ko.damaged", "players.ko"}));
    EXPECT_EQ(ReadBytes(folder / "players.ko"), big) << "nothing written before the commit";
    ASSERT_TRUE(held.Commit());
    EXPECT_EQ(disk.Calls,
              (std::vector<std::string>{"copy players.ko players.ko.damaged", "write players.ko"}));
    EXPECT_EQ(ReadBytes(folder / "players.ko.damaged"), big);
    EXPECT_EQ(ParseRoster(ReadBytes(folder / "players.ko")).Players.size(), 1u);
}

TEST(MemoryDataFiles, AFileWhoseKeptCopyFailsAtTheCommitIsNotReplaced) {
    TempFolder folder;
    WriteBytes(folder / "players.ko", Values16({3}));
    OrderedDisk disk(folder.Path());
    disk.FailCopies = true;
    MemoryDataFiles held(&disk);
    testing::StorageFixture f;
    f.s.Files = &held;
    LoadRoster(f.s);
    ASSERT_TRUE(SaveRoster(f.s));
    std::vector<MemoryDataFiles::NotWritten> failed;
    EXPECT_FALSE(held.Commit(&failed));
    const std::string why = disk.LastWriteProblem();
    EXPECT_EQ(failed, (std::vector<MemoryDataFiles::NotWritten>{{"players.ko.damaged", why},
                                                                {"players.ko", why}}));
    EXPECT_EQ(ReadBytes(folder / "players.ko"), Values16({3}));
}

TEST(MemoryDataFiles, SayOfAKeptCopyWhatTheDiskWillDo) {
    // A FIFO in players.ko's place cannot be kept: the held files say so as the disk does, instead
    // of claiming a copy that the commit would then fail to make.
    TempFolder folder;
    ASSERT_EQ(::mkfifo((folder / "players.ko").c_str(), 0644), 0);
    std::string said[2];
    for (const bool held : {false, true}) {
        DiskDataFiles disk(folder.Path());
        MemoryDataFiles memory(&disk);
        testing::StorageFixture f;
        f.s.Files = held ? static_cast<DataFiles*>(&memory) : &disk;
        LoadRoster(f.s);
        said[held] = OnlyMessage(f.window);
    }
    EXPECT_EQ(said[1], said[0]);
    EXPECT_THAT(said[1], HasSubstr("se nepodařilo uschovat (není to obyčejný soubor)"));
}

TEST(MemoryDataFiles, HoldsWritesBackUntilCommittedAndThenWritesEachFileOnce) {
    TempFolder folder;
    WriteBytes(folder / "tick.ko", {1});
    OrderedDisk disk(folder.Path());
    MemoryDataFiles held(&disk);
    EXPECT_EQ(held.Read("tick.ko"), std::vector<uint8_t>{1});
    ASSERT_TRUE(held.Write("tick.ko", {2}));
    ASSERT_TRUE(held.Write("hall.ko", {3}));
    ASSERT_TRUE(held.Write("tick.ko", {4}));
    EXPECT_EQ(held.Read("tick.ko"), std::vector<uint8_t>{4});
    EXPECT_TRUE(held.Exists("hall.ko"));
    EXPECT_EQ(ReadBytes(folder / "tick.ko"), std::vector<uint8_t>{1});
    EXPECT_FALSE(std::filesystem::exists(folder / "hall.ko"));
    ASSERT_TRUE(held.Commit());
    EXPECT_EQ(disk.Calls, (std::vector<std::string>{"write tick.ko", "write hall.ko"}));
    EXPECT_EQ(ReadBytes(folder / "tick.ko"), std::vector<uint8_t>{4});
    EXPECT_EQ(ReadBytes(folder / "hall.ko"), std::vector<uint8_t>{3});
    EXPECT_TRUE(held.Held.empty());
}

}  // namespace
}  // namespace ZapModule
