#include "frontend/step_waker.h"

#include <QTimer>
#include <cmath>

#ifdef __linux__
#include <sys/timerfd.h>
#include <unistd.h>
#include <QSocketNotifier>

#include <cerrno>
#include <cstdint>
#endif

namespace ZapModule {

namespace {

class TimerStepWaker final : public StepWaker {
  public:
    TimerStepWaker() {
        timer_.setSingleShot(true);
        timer_.setTimerType(Qt::PreciseTimer);
    }
    void Arm(StepClock::time_point deadline) override {
        // Rounded up: waking early would make the loop spin through the last fraction of a
        // millisecond.
        const auto left = std::chrono::duration<double, std::milli>(deadline - StepClock::now());
        timer_.start(std::max(0, static_cast<int>(std::ceil(left.count()))));
    }

  private:
    QTimer timer_;
};

#ifdef __linux__
// std::chrono::steady_clock is CLOCK_MONOTONIC on Linux, so its time points are the timerfd's.
class TimerFdStepWaker final : public StepWaker {
  public:
    explicit TimerFdStepWaker(int fd) : fd_(fd), notifier_(fd, QSocketNotifier::Read) {
        QObject::connect(&notifier_, &QSocketNotifier::activated, [this] {
            uint64_t expirations = 0;
            while (read(fd_, &expirations, sizeof expirations) < 0 && errno == EINTR) {
            }
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
    const int fd = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (fd >= 0) return std::make_unique<TimerFdStepWaker>(fd);
#endif
    return MakeTimerStepWaker();
}

}  // namespace ZapModule
