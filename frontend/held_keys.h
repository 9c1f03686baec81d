// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The game keys' presses and releases on their way from the window to the rules, with the
// releases of a key held down under X11's auto-repeat taken out. The X server repeats a held key
// as a release and a press with one timestamp; Qt marks such a release as repeated only when the
// press is already in its queue, which it often is not yet. So a release the window reports as
// real waits, a short while at most, for a press of the same key with its timestamp: with one it
// is a repeat and both vanish but the press (a repeated press counts as a key down); without, it
// reaches the rules, unless the X server's keyboard still holds the key down: then the press is
// only late, as it can be on a busy machine, and the release goes. The held key thus never lets
// go of the bat, and no repeat reaches the replay. Wayland's and Qt's own repeats are marked and
// need no wait, nor does a key without a timestamp (a game controller's). A real release is
// delivered before any later key, so the keys reach the rules in their order.

#include <QObject>
#include <QTimer>
#include <chrono>
#include <functional>
#include <optional>

namespace ZapModule {

class HeldKeys : public QObject {
  public:
    // Receives each key that reaches the rules: down or up, with the rules' key code.
    using Deliver = std::function<void(bool down, int code)>;
    explicit HeldKeys(Deliver deliver, QObject* parent = nullptr);

    // A key went down or up in the window; `time` is the window system's timestamp (0: none),
    // `repeated` Qt's own mark of an auto-repeat, `nativeKey` the window system's key code.
    void Press(int code, unsigned long time, bool repeated);
    void Release(int code, unsigned long time, bool repeated, unsigned nativeKey);
    // Delivers a waiting release now.
    void Flush();
    bool Waiting() const { return waiting_.has_value(); }

    // How long a release waits for the press of its repeat. The two leave the X server together;
    // this only covers the moments the program is kept from reading the second.
    static constexpr std::chrono::milliseconds kPartnerWait{15};

  private:
    struct WaitingRelease {
        int Code;
        unsigned long Time;
        unsigned NativeKey;
    };
    void WaitOver();

    Deliver deliver_;
    std::optional<WaitingRelease> waiting_;
    QTimer timer_;
};

}  // namespace ZapModule
