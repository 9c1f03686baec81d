#pragma once
// The field as a field output last showed it, and where a new picture differs from it: the
// outputs put only the 5 x 5 tiles (FieldTiles) that changed.

#include <QRegion>
#include <cstdint>
#include <vector>

#include "game/contract/state.h"
#include "game/contract/surface.h"

namespace ZapModule {

class ShownField {
  public:
    // The tiles of `candidates` (field coordinates) in which `field` differs from the picture
    // shown; the whole field when that is not known.
    QRegion Changed(const Surface& field, const QRegion& candidates) const;
    // `field` is shown now: `changed` is what Changed named for it.
    void Take(const Surface& field, const QRegion& changed);
    // The picture shown is not known until the next Take.
    void Forget() { known_ = false; }

  private:
    std::vector<uint32_t> shown_ = std::vector<uint32_t>(size_t{kFieldWidth} * kFieldHeight);
    bool known_ = false;
};

}  // namespace ZapModule
