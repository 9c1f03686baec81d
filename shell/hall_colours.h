// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The hall of fame's colour cycle: every 100 ms while the window is shown, the text colours of the
// names and scores move one row towards rank 1 and rank 1's colour goes to rank 10, so the design
// colours come back after ten steps. The cycle is kept between openings.

#include <array>
#include <cstddef>
#include <cstdint>

namespace ZapModule {

class HallColourCycle {
  public:
    static constexpr int kRows = 10;
    // The animation timer's interval while the window is shown.
    static constexpr int kStepMilliseconds = 100;
    // The rank column's colour, which never cycles.
    static constexpr uint32_t kRankColour = 0x00C000;
    // The design colours of the names and scores, rank 1 first, as 0xRRGGBB.
    static constexpr std::array<uint32_t, kRows> kDesignColours = {
        0xFFFFFF, 0xC0FFC0, 0xFFFFC0, 0xFFE0C0, 0xFFC0C0,
        0xFF8080, 0xFF0000, 0xC00000, 0x800000, 0x400000};

    void Step();
    // The text colour of row i's name and score (they always agree).
    uint32_t RowColour(int row) const { return colours_[static_cast<size_t>(row)]; }

  private:
    std::array<uint32_t, kRows> colours_ = kDesignColours;
};

}  // namespace ZapModule
