// SPDX-License-Identifier: GPL-3.0-or-later
// The step waker's request for prompt wake-ups: on Linux the thread that waits for the steps asks
// for short scheduler slices, and keeps the policy and nice value it had (a player who starts the
// game with `nice` keeps it).

#include <gtest/gtest.h>

#ifdef __linux__
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QThread>

#include <cerrno>
#include <memory>

#include "frontend/step_waker.h"

namespace ZapModule {
namespace {

TEST(StepWakerTest, TheWaitingThreadKeepsItsPolicyAndNiceValue) {
    // A thread of its own, with an event dispatcher for the waker, so as not to touch the others.
    const std::unique_ptr<QThread> waiter(QThread::create([] {
        // Lowering one's own priority is allowed to everyone.
        ASSERT_EQ(setpriority(PRIO_PROCESS, 0, 5), 0);
        const std::unique_ptr<StepWaker> waker = MakeStepWaker();
        errno = 0;
        EXPECT_EQ(getpriority(PRIO_PROCESS, 0), 5);
        EXPECT_EQ(errno, 0);
        EXPECT_EQ(sched_getscheduler(0), SCHED_OTHER);
    }));
    waiter->start();
    waiter->wait();
}

}  // namespace
}  // namespace ZapModule
#endif
