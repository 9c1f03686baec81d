#include "frontend/shown_field.h"

#include <algorithm>
#include <cstring>

#include "frontend/field_damage.h"

namespace ZapModule {

QRegion ShownField::Changed(const Surface& field, const QRegion& candidates) const {
    if (!known_) return QRegion(0, 0, kFieldWidth, kFieldHeight);
    FieldTiles changed;
    for (const QRect& r : candidates) {
        const size_t bytes = static_cast<size_t>(r.width()) * 4;
        for (int y = r.top(); y <= r.bottom(); ++y) {
            const uint32_t* now = field.Row(y) + r.left();
            const uint32_t* shown = shown_.data() + y * kFieldWidth + r.left();
            if (std::memcmp(now, shown, bytes) == 0) continue;
            int first = 0, last = r.width() - 1;
            while (now[first] == shown[first]) ++first;
            while (now[last] == shown[last]) --last;
            changed.Mark(r.left() + first, y, r.left() + last + 1, y + 1);
        }
    }
    return changed.Region();
}

void ShownField::Take(const Surface& field, const QRegion& changed) {
    for (const QRect& r : changed)
        for (int y = r.top(); y <= r.bottom(); ++y)
            std::copy_n(field.Row(y) + r.left(), r.width(),
                        shown_.data() + y * kFieldWidth + r.left());
    known_ = true;
}

}  // namespace ZapModule
