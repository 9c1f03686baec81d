// SPDX-License-Identifier: GPL-3.0-or-later
#include "frontend/step_waker.h"

#include <QTimer>
#include <cmath>

#ifdef __linux__
#include <sched.h>
#include <sys/syscall.h>
#include <sys/timerfd.h>
#include <unistd.h>
#include <QSocketNotifier>

#include <cerrno>
#include <cstdint>
#endif

namespace ZapModule {

namespace {

#ifdef __linux__
constexpr std::chrono::microseconds kStepThreadSlice{300};
#endif

class TimerStepWaker final : public StepWaker {
  public:
    TimerStepWaker() {
        timer_.setSingleShot(true);
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (Fired) Fired();
        });
    }
    void Arm(StepClock::time_point deadline) override {
        // Rounded up: waking early would make the loop spin through the last fraction of a
        // millisecond.
        const auto left = std::chrono::duration<double, std::milli>(deadline - StepClock::now());
        timer_.start(std::max(0, static_cast<int>(std::ceil(left.count()))));
    }
    void Disarm() override { timer_.stop(); }

  private:
    QTimer timer_;
};

#ifdef __linux__
// Asks the scheduler to run the calling thread, the one that waits for the steps, in short slices
// (kStepThreadSlice instead of the usual 0.7 ms or more). With every core busy, a thread that wakes
// wanting a short slice is run before the others have used up their long ones, so a step starts
// on time; its share of the processor stays what it was, and with an idle core nothing changes.
// Any user may ask this of the ordinary policy; Linux honours it from 6.12 on, earlier kernels take
// the request and ignore it. The thread's policy and nice value stay as they are.
void AskForShortSlices() {
    // The kernel's struct sched_attr as of its first version (its header clashes with glibc's).
    struct {
        uint32_t Size, Policy;
        uint64_t Flags;
        int32_t Nice;
        uint32_t Priority;
        uint64_t Runtime, Deadline, Period;
    } attr{};
    static_assert(sizeof attr == 48);
    if (syscall(SYS_sched_getattr, 0, &attr, sizeof attr, 0) != 0 || attr.Policy != SCHED_OTHER)
        return;
    attr.Size = sizeof attr;
    attr.Flags = 0;
    attr.Runtime = std::chrono::nanoseconds(kStepThreadSlice).count();
    syscall(SYS_sched_setattr, 0, &attr, 0);
}

// std::chrono::steady_clock is CLOCK_MONOTONIC on Linux, so its time points are the timerfd's.
class TimerFdStepWaker final : public StepWaker {
  public:
    explicit TimerFdStepWaker(int fd) : fd_(fd), notifier_(fd, QSocketNotifier::Read) {
        QObject::connect(&notifier_, &QSocketNotifier::activated, [this] {
            uint64_t expirations = 0;
            ssize_t got = 0;
            while ((got = read(fd_, &expirations, sizeof expirations)) < 0 && errno == EINTR) {
            }
            // Nothing to read: the deadline was replaced after the timer had fired.
            if (got == static_cast<ssize_t>(sizeof expirations) && expirations > 0 && Fired)
                Fired();
        });
    }
    ~TimerFdStepWaker() override {
        notifier_.setEnabled(false);
        close(fd_);
    }
    void Arm(StepClock::time_point deadline) override {
        const auto since = deadline.time_since_epoch();
        const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(since);
        itimerspec when{};
        when.it_value.tv_sec = seconds.count();
        when.it_value.tv_nsec = std::chrono::nanoseconds(since - seconds).count();
        // A zero time would disarm the timer instead of firing it.
        if (when.it_value.tv_sec == 0 && when.it_value.tv_nsec == 0) when.it_value.tv_nsec = 1;
        timerfd_settime(fd_, TFD_TIMER_ABSTIME, &when, nullptr);
    }
    void Disarm() override {
        const itimerspec never{};
        timerfd_settime(fd_, 0, &never, nullptr);
    }

  private:
    int fd_;
    QSocketNotifier notifier_;
};
#endif

}  // namespace

std::unique_ptr<StepWaker> MakeTimerStepWaker() {
    return std::make_unique<TimerStepWaker>();
}

std::unique_ptr<StepWaker> MakeStepWaker() {
#ifdef __linux__
    AskForShortSlices();
    const int fd = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (fd >= 0) return std::make_unique<TimerFdStepWaker>(fd);
#endif
    return MakeTimerStepWaker();
}

}  // namespace ZapModule
