// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A game controller as the game screen's keys, through SDL's game controller support (any pad SDL
// knows works without set-up): the stick or the D-pad up and down are the arrow keys, A (the south
// button) is Space, Start is P, Back/Select is Esc. Controllers can come and go at any time.
//
// Without a controller nothing runs: SDL only looks for one when the device folder /dev/input
// changes (an inotify watch, no timer). With one open, its state is read every few milliseconds,
// a little more often than the game steps.
//
// This is the one file of the windows that uses SDL, loaded when the first game screen shows; the
// sound library uses it too, in the same process, and ends SDL as a whole when the game ends: the
// controllers are then gone already. Without SDL the keyboard works alone.

#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>
#include <chrono>
#include <functional>
#include <memory>
#include <vector>

namespace ZapModule {

class GamepadInput : public QObject {
  public:
    // Receives the keys the controllers press and release (Qt key codes).
    using Deliver = std::function<void(bool down, int qtKey)>;
    explicit GamepadInput(Deliver deliver);
    ~GamepadInput() override;
    GamepadInput(const GamepadInput&) = delete;
    GamepadInput& operator=(const GamepadInput&) = delete;

    // False when SDL's game controller support cannot start (the keyboard still works).
    bool Available() const { return available_; }
    // Opens the controllers that came and closes those that went; the device folder's watch
    // calls it, and so may anyone who knows that a controller came (a test's virtual one).
    void LookForControllers();
    // How many controllers are open, and whether they are being read.
    int Open() const { return static_cast<int>(pads_.size()); }
    bool Reading() const { return reading_.isActive(); }

    // How often an open controller is read.
    static constexpr std::chrono::milliseconds kReadEvery{5};

  private:
    struct Pad;
    // SDL's calls the controllers need, or null when SDL cannot be loaded.
    struct SdlCalls;
    static const SdlCalls* LoadSdl();
    // Takes SDL's events: controllers that came or went, their buttons and sticks.
    void Read();
    Pad* Find(int instance);
    // The pad's up and down from its D-pad and stick; a change presses or releases the arrow.
    void Direction(Pad& pad);
    void Close(int instance);

    Deliver deliver_;
    const SdlCalls* sdl_;
    bool available_ = false;
    std::vector<std::unique_ptr<Pad>> pads_;
    QTimer reading_;
    QTimer settling_;  // a new device node takes a moment to become readable
    int settleLooks_ = 0;
    QFileSystemWatcher devices_;
};

}  // namespace ZapModule
