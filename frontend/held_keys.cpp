// SPDX-License-Identifier: GPL-3.0-or-later
#include "frontend/held_keys.h"

#include <QGuiApplication>

#if defined(ZAPWALL_XCB) && QT_CONFIG(xcb)
#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>
#endif

namespace ZapModule {

namespace {

// Whether the X server's keyboard holds the key with X key code `nativeKey` down now; false
// where the window is on no X server.
bool DisplayHoldsKeyDown(unsigned nativeKey) {
#if defined(ZAPWALL_XCB) && QT_CONFIG(xcb)
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 == nullptr || nativeKey == 0 || nativeKey > 255) return false;
    xcb_connection_t* connection = x11->connection();
    const std::unique_ptr<xcb_query_keymap_reply_t, decltype(&std::free)> keymap(
        xcb_query_keymap_reply(connection, xcb_query_keymap(connection), nullptr), &std::free);
    return keymap && (keymap->keys[nativeKey / 8] & (1u << (nativeKey % 8))) != 0;
#else
    return false;
#endif
}

}  // namespace

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

void HeldKeys::Release(int code, unsigned long time, bool repeated, unsigned nativeKey) {
    if (repeated) return;
    Flush();
    // Without a timestamp the key comes from no window system's repeat (a controller's).
    if (time == 0) {
        deliver_(false, code);
        return;
    }
    waiting_ = WaitingRelease{code, time, nativeKey};
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
    // Still down on the display: the repeat's press was sent with the release but is not read
    // yet. The release goes, and that press, when it comes, is a key down like any other.
    if (waiting_ && DisplayHoldsKeyDown(waiting_->NativeKey)) {
        waiting_.reset();
        return;
    }
    Flush();
}

}  // namespace ZapModule
