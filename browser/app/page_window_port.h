// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The window interface of the rules over the page's windows. Texts, the player list and the
// pictures go to the page's script (Module.zwPage in page.js) as they change; the timer is the
// page's game loop. The field is shown once per display frame, not per step: a refresh asks the
// page for a frame, and at the frame (ShowField) only the tiles in which the latest picture
// differs from the one on the canvas are put there. A browser cannot wait for a message box or the
// hall of fame: ShowMessage and ShowHallOfFame put them on the page in their turn (Boxes, as on
// the desktop) and return at once (OK is the only answer the rules ask for, so the result is the
// same), and the program holds the game loop until the page has closed them.

#include <array>
#include <functional>
#include <vector>

#include "graphics/field_damage.h"
#include "graphics/shown_field.h"
#include "model/state.h"
#include "ports/window_port.h"
#include "shell/box_queue.h"
#include "shell/game_loop_core.h"

namespace ZapModule {

class PageWindowPort : public WindowPort {
  public:
    PageWindowPort(GameState& s, GameLoopCore& loop) : s_(s), loop_(loop) {}

    // The page's display frame the game screen's picture asked for: puts the picture as it
    // stands now, the pressed buttons drawn over it, on the background's canvas.
    void ShowBackground();
    // The page's display frame: puts what changed of the latest field on its canvas.
    void ShowField();
    // Puts the latest field on the canvas now if a frame was asked for (the game screen is about
    // to be left).
    void FlushField();

    void SetLabel1Text(int index, std::string_view text) override;
    void SetLabel3Text(int index, std::string_view text) override;
    void SetLabel3Visible(int index, bool visible) override;
    int32_t TimerInterval() const override { return loop_.Interval(); }
    void SetTimerInterval(int32_t interval) override { loop_.SetInterval(interval); }
    MessageAnswer ShowMessage(std::string_view text, std::string_view title,
                              MessageButtons buttons) override;
    void ShowHallOfFame() override;
    void HallOfFameChanged() override;
    void UnloadGameScreen() override;
    bool SoundSwitchOn() const override { return SoundSwitch ? SoundSwitch() : false; }
    void ReloadBackground() override;
    void RefreshField() override;
    void DrawButtonPressed(int index) override;
    void AppendPlayerLine(std::string_view name) override;
    void RemovePlayerLine(int index) override;

    // The game screen's picture gui; the port keeps it to wipe the pressed buttons with.
    void SetBackground(Surface picture);
    // The page closed the box the rules opened last (a message box, the hall of fame).
    void ModalClosed() { boxes_.Closed(); }
    // The boxes the rules open, shown one at a time.
    BoxQueue& Boxes() { return boxes_; }

    // The menu's sound switch, which the menu's rules hold.
    std::function<bool()> SoundSwitch;
    // Unloads the game screen: its close handler runs.
    std::function<void()> OnUnload;

  private:
    GameState& s_;
    GameLoopCore& loop_;
    Surface picture_;  // the picture as loaded
    Surface shown_;    // the picture with the pressed buttons drawn over it, empty while none is
    std::array<bool, 2> pressedShown_{false, false};
    // The background's bytes as the canvas takes them, kept so that a pressed button's picture
    // needs no new buffer.
    std::vector<uint32_t> rgba_;
    // The field as the canvas shows it, in the canvas's RGBA; the page reads the rectangles it
    // puts from here.
    std::vector<uint32_t> fieldRgba_;
    std::vector<int32_t> fieldRects_;  // left, top, width, height of each rectangle put
    FieldDamage damage_;
    ShownField shownField_;
    bool frameAsked_ = false;
    BoxQueue boxes_;
};

}  // namespace ZapModule
