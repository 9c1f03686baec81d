// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The animation table: its source in assets/animations.txt (the records of animations.ko with
// '#' comments and blank lines allowed) and the text written to data/animations.ko.

#include <string>
#include <vector>

namespace ZapAssets {

struct AnimationSpec {
    int sheet = 0;  // picture number, pictures/ko<sheet>
    int frames = 0;
    int width = 0;
    int height = 0;
    int steps = 0;  // game steps each frame is shown
};

// The six records of the game (movers 0 and 2 to 5, the explosion 1), or an empty list with a
// message naming the line in *error: a line that is not five comma-separated integers, a sheet
// that is not one of the animation sheets 4, 5, 8, 9, 10, 11 or is used twice, a frame size
// outside 4..25 (a virus must fit a brick row), frames outside 1..32, steps outside 1..100, or a
// record count other than six.
std::vector<AnimationSpec> ParseAnimationTable(const std::string& text, std::string* error);

// "sheet,frames,width,height,steps" per record, each line ended with CR LF.
std::string FormatAnimationTable(const std::vector<AnimationSpec>& table);

}  // namespace ZapAssets
