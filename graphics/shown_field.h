// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The field as an output last showed it, and where a new picture differs from it: the outputs
// (the desktop's X11 and Wayland ones, the browser's canvas) put only the 5 x 5 tiles
// (FieldTiles) that changed.

#include <cstdint>
#include <vector>

#include "graphics/field_damage.h"
#include "model/state.h"
#include "values/surface.h"

namespace ZapModule {

class ShownField {
  public:
    // The tiles of `candidates` in which `field` differs from the picture shown; the whole field
    // when that is not known.
    FieldTiles Changed(const Surface& field, const FieldTiles& candidates) const;
    // `field` is shown now: `changed` is what Changed named for it.
    void Take(const Surface& field, const FieldTiles& changed);
    // The picture shown is not known until the next Take.
    void Forget() { known_ = false; }

  private:
    std::vector<uint32_t> shown_ = std::vector<uint32_t>(size_t{kFieldWidth} * kFieldHeight);
    bool known_ = false;
};

}  // namespace ZapModule
