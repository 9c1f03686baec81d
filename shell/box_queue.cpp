// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/box_queue.h"

#include <utility>

namespace ZapModule {

void BoxQueue::Open(Show show) {
    const bool was = Any();
    waiting_.push_back(std::move(show));
    if (!was && Changed) Changed();
    if (!open_) ShowNext();
}

void BoxQueue::Closed() {
    if (open_) ShowNext();
}

void BoxQueue::AfterAll(std::function<void()> then) {
    if (Any())
        after_.push_back(std::move(then));
    else
        then();
}

void BoxQueue::ShowNext() {
    if (waiting_.empty()) {
        open_ = false;
        if (Changed) Changed();
        // A continuation may open a box of its own, which the ones after it then wait for.
        while (!after_.empty() && !Any()) {
            const std::function<void()> then = std::move(after_.front());
            after_.erase(after_.begin());
            then();
        }
        return;
    }
    open_ = true;
    const Show show = std::move(waiting_.front());
    waiting_.pop_front();
    show();
}

}  // namespace ZapModule
