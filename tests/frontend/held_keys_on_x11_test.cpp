// SPDX-License-Identifier: GPL-3.0-or-later
// A held key's release on a real X display (run under Xvfb), whose press of the repeat has not
// been read when the release's wait is over, as on a busy machine: the X server's keyboard decides.

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QProcess>
#include <QTest>
#include <cstdlib>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "frontend/held_keys.h"

namespace ZapModule {
namespace {

constexpr xcb_keysym_t kDownSym = 0xff54;
constexpr int kDownCode = 40;

class HeldKeysOnX11Test : public ::testing::Test {
  protected:
    void SetUp() override {
        auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
        if (x11 == nullptr || x11->connection() == nullptr)
            GTEST_SKIP() << "needs an X display (QT_QPA_PLATFORM=xcb)";
        x_ = x11->connection();
        downKey_ = KeyCodeOf(kDownSym);
        ASSERT_NE(downKey_, 0u) << "the display's keyboard has no Down key";
    }
    void TearDown() override {
        if (x_ != nullptr) QProcess::execute("xdotool", {"keyup", "Down"});
    }
    xcb_keycode_t KeyCodeOf(xcb_keysym_t sym) {
        const xcb_setup_t* setup = xcb_get_setup(x_);
        const int count = setup->max_keycode - setup->min_keycode + 1;
        const std::unique_ptr<xcb_get_keyboard_mapping_reply_t, decltype(&std::free)> map(
            xcb_get_keyboard_mapping_reply(
                x_, xcb_get_keyboard_mapping(x_, setup->min_keycode, static_cast<uint8_t>(count)),
                nullptr),
            &std::free);
        if (!map) return 0;
        const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(map.get());
        for (int code = 0; code < count; ++code)
            for (int i = 0; i < map->keysyms_per_keycode; ++i)
                if (syms[code * map->keysyms_per_keycode + i] == sym)
                    return static_cast<xcb_keycode_t>(setup->min_keycode + code);
        return 0;
    }
    bool DisplayHoldsDown() {
        const std::unique_ptr<xcb_query_keymap_reply_t, decltype(&std::free)> keymap(
            xcb_query_keymap_reply(x_, xcb_query_keymap(x_), nullptr), &std::free);
        return keymap && (keymap->keys[downKey_ / 8] & (1u << (downKey_ % 8))) != 0;
    }
    // Presses or lets go of Down on the display, as a player's keyboard would.
    void SetDown(bool down) {
        ASSERT_EQ(QProcess::execute("xdotool", {down ? "keydown" : "keyup", "Down"}), 0);
        ASSERT_TRUE(QTest::qWaitFor([&] { return DisplayHoldsDown() == down; }, 30000));
    }

    xcb_connection_t* x_ = nullptr;
    xcb_keycode_t downKey_ = 0;
};

TEST_F(HeldKeysOnX11Test, ALateRepeatKeepsTheKeyDownAndARealReleaseStillGoes) {
    std::vector<bool> delivered;
    HeldKeys keys([&](bool down, int code) {
        if (code == kDownCode) delivered.push_back(down);
    });
    keys.Press(kDownCode, 1000, false);

    // The display still holds the key: the release's press is only late.
    SetDown(true);
    keys.Release(kDownCode, 1660, false, downKey_);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !keys.Waiting(); }, 30000));
    EXPECT_EQ(delivered, std::vector<bool>{true});
    keys.Press(kDownCode, 1660, false);  // the late press: a key down like any other
    EXPECT_EQ(delivered, (std::vector<bool>{true, true}));

    // Let go on the display: the release is real.
    SetDown(false);
    keys.Release(kDownCode, 2000, false, downKey_);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !keys.Waiting(); }, 30000));
    EXPECT_EQ(delivered, (std::vector<bool>{true, true, false}));
}

}  // namespace
}  // namespace ZapModule
