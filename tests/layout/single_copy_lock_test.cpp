// One copy at a time: a lock held by another running process refuses the folder, the holder's
// end frees it, and the lock of a killed copy is taken over at once, however old.

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "layout/single_copy_lock.h"
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
    {
        const SingleCopyLock second(folder);
        EXPECT_EQ(second.Result(), Outcome::HeldByAnother);
    }
    // The refused copy did not disturb the first one's lock.
    EXPECT_EQ(SingleCopyLock(folder).Result(), Outcome::HeldByAnother);
    first.End();
    EXPECT_FALSE(std::filesystem::exists(folder + "/zapwall.lock"));
    const SingleCopyLock next(folder);
    EXPECT_EQ(next.Result(), Outcome::Taken);
    // And now the tables are turned.
    OtherCopy late(folder);
    EXPECT_FALSE(late.Taken());
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
    {
        const SingleCopyLock lock(root / "new/zapwall");
        EXPECT_EQ(lock.Result(), Outcome::Taken);
        EXPECT_EQ(lock.Path(), root / "new/zapwall/zapwall.lock");
        EXPECT_TRUE(std::filesystem::exists(lock.Path()));
    }
    EXPECT_FALSE(std::filesystem::exists(root / "new/zapwall/zapwall.lock"));
    // Where no lock can be made nothing can be saved either: not a refusal.
    testing::WriteText(root / "blocked", "");
    EXPECT_EQ(SingleCopyLock(root / "blocked/zapwall").Result(), Outcome::Unavailable);
}

}  // namespace
}  // namespace ZapModule
