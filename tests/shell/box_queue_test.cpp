// SPDX-License-Identifier: GPL-3.0-or-later
// The boxes over the windows: one shown at a time in the order asked for, and what waits for them
// run once the last has closed.

#include "shell/box_queue.h"

#include <gtest/gtest.h>

#include <string>

namespace ZapModule {
namespace {

TEST(BoxQueueTest, ShowsOneBoxAtATimeAndRunsWhatWaitsAfterTheLast) {
    BoxQueue boxes;
    std::string log;
    boxes.Changed = [&] { log += boxes.Any() ? "[" : "]"; };
    boxes.AfterAll([&] { log += "nothing open;"; });
    boxes.Open([&] { log += "message;"; });
    boxes.Open([&] { log += "hall;"; });
    boxes.AfterAll([&] {
        log += "end;";
        boxes.Open([&] { log += "offer;"; });
    });
    boxes.AfterAll([&] { log += "windows go;"; });
    EXPECT_EQ(log, "nothing open;[message;");
    boxes.Closed();
    EXPECT_EQ(log, "nothing open;[message;hall;");
    // The end opens a box of its own, which the windows' going waits for too.
    boxes.Closed();
    EXPECT_EQ(log, "nothing open;[message;hall;]end;[offer;");
    boxes.Closed();
    EXPECT_EQ(log, "nothing open;[message;hall;]end;[offer;]windows go;");
    EXPECT_FALSE(boxes.Any());
    boxes.Closed();  // a close reported twice changes nothing
    EXPECT_EQ(log, "nothing open;[message;hall;]end;[offer;]windows go;");
}

}  // namespace
}  // namespace ZapModule
