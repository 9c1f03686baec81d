// SPDX-License-Identifier: GPL-3.0-or-later
// One copy at a time: a lock held by another running process refuses the folder, the holder's
// end frees it, and the lock of a killed copy is taken over at once, however old; so is a lock
// that names no copy at all, unless a running copy may still hold it.

#include <signal.h>  // NOLINT(modernize-deprecated-headers): POSIX declares kill() here
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/single_copy_lock.h"
#include "tests/storage/storage_test_support.h"

namespace ZapModule {
namespace {

using testing::TempFolder;
using Outcome = SingleCopyLock::Outcome;

// Another copy in a child process: it takes the lock on `folder`, reports what it got and holds
// the lock until it is let go (it then ends normally) or killed.
class OtherCopy {
  public:
    explicit OtherCopy(const std::string& folder) {
        int toChild[2], fromChild[2];
        if (::pipe(toChild) != 0 || ::pipe(fromChild) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(toChild[1]);
            ::close(fromChild[0]);
            {
                const SingleCopyLock lock(folder);
                const char taken = lock.Result() == Outcome::Taken ? 'y' : 'n';
                (void)!::write(fromChild[1], &taken, 1);
                char ignored;
                (void)!::read(toChild[0], &ignored, 1);  // until the parent lets go
            }
            ::_exit(0);
        }
        ::close(toChild[0]);
        ::close(fromChild[1]);
        letGo_ = toChild[1];
        char taken = 'n';
        taken_ = ::read(fromChild[0], &taken, 1) == 1 && taken == 'y';
        ::close(fromChild[0]);
    }
    ~OtherCopy() {
        if (pid_ > 0) Wait(SIGKILL);
    }

    bool Taken() const { return taken_; }
    // Ends the copy: normally (it gives the lock back) or with a signal (it cannot).
    void End() { Wait(0); }
    void Kill() { Wait(SIGKILL); }

  private:
    void Wait(int signal) {
        if (signal != 0) ::kill(pid_, signal);
        ::close(letGo_);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
    pid_t pid_ = -1;
    int letGo_ = -1;
    bool taken_ = false;
};

void MakeOld(const std::string& path) {
    std::filesystem::last_write_time(
        path, std::filesystem::file_time_type::clock::now() - std::chrono::hours(48));
}

TEST(SingleCopyLock, ASecondCopyIsRefusedWhileTheFirstRunsAndWelcomeAfterIt) {
    TempFolder root;
    const std::string folder = root / "zapwall";
    OtherCopy first(folder);
    ASSERT_TRUE(first.Taken());
    // A game may run for days: the running copy's lock is its own however old.
    MakeOld(folder + "/zapwall.lock");
    // A refused copy does not disturb the first one's lock: the next one is refused as well.
    for (int copy = 0; copy < 2; ++copy)
        EXPECT_EQ(SingleCopyLock(folder).Result(), Outcome::HeldByAnother) << copy;
    first.End();
    EXPECT_FALSE(std::filesystem::exists(folder + "/zapwall.lock"));
    const SingleCopyLock next(folder);
    EXPECT_EQ(next.Result(), Outcome::Taken);
    // And now the tables are turned.
    EXPECT_FALSE(OtherCopy(folder).Taken());
}

TEST(SingleCopyLock, TheLockOfAKilledCopyIsTakenOver) {
    TempFolder root;
    const std::string folder = root / "zapwall";
    OtherCopy killed(folder);
    ASSERT_TRUE(killed.Taken());
    killed.Kill();
    ASSERT_TRUE(std::filesystem::exists(folder + "/zapwall.lock"));
    MakeOld(folder + "/zapwall.lock");
    const SingleCopyLock next(folder);
    EXPECT_EQ(next.Result(), Outcome::Taken);
}

TEST(SingleCopyLock, MakesAMissingFolderAndGivesWayWhereNoLockCanBe) {
    TempFolder root;
    const SingleCopyLock lock(root / "new/zapwall");
    EXPECT_EQ(lock.Result(), Outcome::Taken);
    EXPECT_EQ(lock.Path(), root / "new/zapwall/zapwall.lock");
    EXPECT_TRUE(std::filesystem::exists(lock.Path()));
    // Where no lock can be made nothing can be saved either: not a refusal.
    testing::WriteText(root / "blocked", "");
    EXPECT_EQ(SingleCopyLock(root / "blocked/zapwall").Result(), Outcome::Unavailable);
}

TEST(SingleCopyLock, ALockThatNamesNoCopyIsTakenOver) {
    const std::pair<const char*, void (*)(const std::string&)> kinds[] = {
        {"empty", [](const std::string& lock) { testing::WriteText(lock, ""); }},
        {"junk",
         [](const std::string& lock) {
             testing::WriteText(lock, std::string("\x93\x01zz\n\xff\n", 7));
         }},
        {"mode 000",
         [](const std::string& lock) {
             testing::WriteText(lock, "");
             std::filesystem::permissions(lock, std::filesystem::perms::none);
         }},
        {"dangling link",
         [](const std::string& lock) { std::filesystem::create_symlink(lock + ".gone", lock); }},
        {"FIFO", [](const std::string& lock) { ASSERT_EQ(::mkfifo(lock.c_str(), 0600), 0); }},
    };
    for (const auto& [kind, make] : kinds) {
        SCOPED_TRACE(kind);
        TempFolder root;
        const std::string folder = root / "zapwall";
        std::filesystem::create_directories(folder);
        make(folder + "/zapwall.lock");
        if (!std::filesystem::is_symlink(folder + "/zapwall.lock"))
            MakeOld(folder + "/zapwall.lock");
        const SingleCopyLock lock(folder);
        EXPECT_EQ(lock.Result(), Outcome::Taken);
        EXPECT_EQ(lock.SetAside(), "");
        // Taken for real: a second copy is refused.
        EXPECT_FALSE(OtherCopy(folder).Taken());
    }
}

TEST(SingleCopyLock, AFolderInTheLocksPlaceIsSetAsideAndNamed) {
    TempFolder root;
    const std::string folder = root / "zapwall";
    std::filesystem::create_directories(folder + "/zapwall.lock");
    testing::WriteText(folder + "/zapwall.lock/inside", "kept");
    std::filesystem::create_directories(folder + "/zapwall.lock.damaged");
    const SingleCopyLock lock(folder);
    EXPECT_EQ(lock.Result(), Outcome::Taken);
    EXPECT_TRUE(std::filesystem::is_regular_file(folder + "/zapwall.lock"));
    EXPECT_EQ(testing::ReadBytes(folder + "/zapwall.lock.damaged.1/inside").size(), 4u);
    EXPECT_EQ(lock.SetAside(), folder + "/zapwall.lock.damaged.1");
}

TEST(SingleCopyLock, ALockThatMayStillBeHeldStays) {
    TempFolder root;
    const std::string folder = root / "zapwall";
    // Just made by a copy that has not written it yet.
    std::filesystem::create_directories(folder);
    testing::WriteText(folder + "/zapwall.lock", "");
    EXPECT_EQ(SingleCopyLock(folder).Result(), Outcome::HeldByAnother);
    std::filesystem::remove(folder + "/zapwall.lock");
    // A running copy's lock whose contents are lost: its holder still holds the file.
    OtherCopy running(folder);
    ASSERT_TRUE(running.Taken());
    std::filesystem::resize_file(folder + "/zapwall.lock", 0);
    MakeOld(folder + "/zapwall.lock");
    EXPECT_EQ(SingleCopyLock(folder).Result(), Outcome::HeldByAnother);
    EXPECT_TRUE(std::filesystem::exists(folder + "/zapwall.lock"));
}

}  // namespace
}  // namespace ZapModule
