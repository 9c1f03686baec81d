// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/tick.h"

#include <gtest/gtest.h>

namespace ZapModule {
namespace {

std::vector<uint8_t> Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

TEST(TickFormat, IsABlankTheNumberABlankAndCrLf) {
    EXPECT_EQ(FormatTick(8000),
              (std::vector<uint8_t>{0x20, 0x38, 0x30, 0x30, 0x30, 0x20, 0x0D, 0x0A}));
    EXPECT_EQ(FormatTick(1), Bytes(" 1 \r\n"));
    EXPECT_EQ(FormatTick(-5), Bytes("-5 \r\n"));
}

// A tick.ko's text and the tick it gives.
struct Case {
    const char* text;
    int16_t value;
};

TEST(ParseTick, TakesTheNearestIntegerWithTiesToEven) {
    for (const Case c :
         {Case{" 8000 \r\n", 8000}, Case{"250", 250}, Case{"8000.5", 8000}, Case{"3.5", 4},
          Case{"2.5", 2}, Case{"\t 42xyz", 42}, Case{"+5", 5}, Case{"1e3", 1000}, Case{"4.5e0", 4},
          Case{"7e", 7}, Case{"12.", 12}, Case{"9\n500", 9}}) {
        EXPECT_EQ(ParseTick(Bytes(c.text)), c.value) << c.text;
        EXPECT_EQ(ReadTick(Bytes(c.text)).Status, TickRead::Kind::InRange) << c.text;
    }
}

TEST(ParseTick, WithoutANumberGivesTheDefault) {
    for (const char* text : {"", "abc", "\r\n500", " - 5", ".", "e5",
                             // NOLINTNEXTLINE(bugprone-suspicious-missing-comma): a BOM, then 100
                             "\xEF\xBB\xBF"
                             "100"}) {
        EXPECT_EQ(ParseTick(Bytes(text)), 8000) << text;
        EXPECT_EQ(ReadTick(Bytes(text)).Status, TickRead::Kind::NoNumber) << text;
    }
}

TEST(ParseTick, ClampsToTheScrollBarsRange) {
    for (const Case c : {Case{"0", 1}, Case{"0.4", 1}, Case{"-7", 1}, Case{"10001", 10000},
                         Case{"40000", 10000}, Case{"99999999999999999999999", 10000},
                         Case{"1e99999999", 10000}, Case{"-1e400", 1}, Case{"1e-400", 1}}) {
        EXPECT_EQ(ParseTick(Bytes(c.text)), c.value) << c.text;
        EXPECT_EQ(ReadTick(Bytes(c.text)).Status, TickRead::Kind::Clamped) << c.text;
    }
    EXPECT_EQ(ParseTick(Bytes("10000.5")), 10000);  // rounds to 10000, inside the range
}

}  // namespace
}  // namespace ZapModule
