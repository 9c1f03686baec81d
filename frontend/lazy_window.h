// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A window that is built the first time it is used: start-up shows the menu without first building
// the game screen and the hall of fame, which the player may open much later or never. Whoever
// only needs to touch a window that exists (to hide it, to refresh what it shows) asks Built().

#include <functional>
#include <memory>
#include <utility>

namespace ZapModule {

template <class Window>
class LazyWindow {
  public:
    using Maker = std::function<std::unique_ptr<Window>()>;
    explicit LazyWindow(Maker make) : make_(std::move(make)) {}

    // The window, built now if it was not yet.
    Window& operator*() {
        if (!window_) window_ = make_();
        return *window_;
    }
    Window* operator->() { return &**this; }
    // The window if it was built, null otherwise.
    Window* Built() const { return window_.get(); }

  private:
    Maker make_;
    std::unique_ptr<Window> window_;
};

}  // namespace ZapModule
