#include "frontend/held_keys.h"

#include <QCoreApplication>

namespace ZapModule {

HeldKeys::HeldKeys(Deliver deliver, QObject* parent)
    : QObject(parent), deliver_(std::move(deliver)) {
    timer_.setSingleShot(true);
    timer_.setInterval(kPartnerWait);
    connect(&timer_, &QTimer::timeout, this, &HeldKeys::WaitOver);
}

void HeldKeys::Press(int code, unsigned long time, bool repeated) {
    if (waiting_ && waiting_->Code == code && (repeated || (time != 0 && time == waiting_->Time))) {
        waiting_.reset();
        timer_.stop();
    } else {
        Flush();
    }
    deliver_(true, code);
}

void HeldKeys::Release(int code, unsigned long time, bool repeated) {
    if (repeated) return;
    Flush();
    // Without a timestamp the key comes from no window system's repeat (a controller's).
    if (time == 0) {
        deliver_(false, code);
        return;
    }
    waiting_ = WaitingRelease{code, time};
    timer_.start();
}

void HeldKeys::Flush() {
    if (!waiting_) return;
    const int code = waiting_->Code;
    waiting_.reset();
    timer_.stop();
    deliver_(false, code);
}

void HeldKeys::WaitOver() {
    // A press already read from the display goes first: it may be the repeat this release waits
    // for. Timers stay out, so that no game loop starts inside this one's event.
    QCoreApplication::processEvents(QEventLoop::X11ExcludeTimers);
    Flush();
}

}  // namespace ZapModule
