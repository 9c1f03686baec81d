// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The boxes opened over the windows (message boxes, the hall of fame, the offer to send results
// to a hall server), shown one at a time in the order they were asked for. No frontend waits
// inside the call that opens one: the box is shown, the call returns, and the frontend reports
// when the player has closed it; then the next one is shown. While any is open or waiting the
// game loop is held, and what must come after them (the program's end) waits until the last one
// has closed.

#include <deque>
#include <functional>
#include <vector>

namespace ZapModule {

class BoxQueue {
  public:
    // Shows one box; the frontend calls Closed once the player has closed it.
    using Show = std::function<void()>;

    // Shows the box now, or after those open and waiting.
    void Open(Show show);
    // The box shown last was closed.
    void Closed();
    // A box is open or waiting.
    bool Any() const { return open_ || !waiting_.empty(); }
    // Runs `then` once no box is open or waiting (now when none is).
    void AfterAll(std::function<void()> then);

    // Any() changed.
    std::function<void()> Changed;

  private:
    void ShowNext();

    std::deque<Show> waiting_;
    std::vector<std::function<void()>> after_;
    bool open_ = false;
};

}  // namespace ZapModule
