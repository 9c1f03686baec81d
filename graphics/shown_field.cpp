// SPDX-License-Identifier: GPL-3.0-or-later
#include "graphics/shown_field.h"

#include <algorithm>
#include <cstring>

namespace ZapModule {

FieldTiles ShownField::Changed(const Surface& field, const FieldTiles& candidates) const {
    if (!known_) return FieldTiles::All();
    FieldTiles changed;
    for (const Rect& r : candidates.Rects()) {
        const int width = r.Right - r.Left;
        const size_t bytes = static_cast<size_t>(width) * 4;
        for (int y = r.Top; y < r.Bottom; ++y) {
            const uint32_t* now = field.Row(y) + r.Left;
            const uint32_t* shown = shown_.data() + y * kFieldWidth + r.Left;
            if (std::memcmp(now, shown, bytes) == 0) continue;
            int first = 0, last = width - 1;
            while (now[first] == shown[first]) ++first;
            while (now[last] == shown[last]) --last;
            changed.Mark(r.Left + first, y, r.Left + last + 1, y + 1);
        }
    }
    return changed;
}

void ShownField::Take(const Surface& field, const FieldTiles& changed) {
    for (const Rect& r : changed.Rects())
        for (int y = r.Top; y < r.Bottom; ++y)
            std::copy_n(field.Row(y) + r.Left, r.Right - r.Left,
                        shown_.data() + y * kFieldWidth + r.Left);
    known_ = true;
}

}  // namespace ZapModule
