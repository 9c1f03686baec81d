// SPDX-License-Identifier: GPL-3.0-or-later
#include "frontend/screen_scale.h"

#include <algorithm>
#include <cmath>

namespace ZapModule {

namespace {

// Logical pixels computed from whole screen pixels come out a hair off a whole number (1.25 and
// 1.5 are exact in binary, other ratios are not): the covering rectangle must not grow by a
// pixel for that.
constexpr qreal kSlack = 1e-6;

int ScreenPixels(qreal logical, qreal ratio) {
    return static_cast<int>(std::floor(logical * ratio + kSlack));
}

}  // namespace

QRectF ScreenScale::Place(const QRect& game) const {
    return QRectF(Origin.x() + game.x() * Logical(), Origin.y() + game.y() * Logical(),
                  game.width() * Logical(), game.height() * Logical());
}

QRect ScreenScale::Cover(const QRect& game) const {
    const QRectF place = Place(game);
    const int left = static_cast<int>(std::floor(place.left() + kSlack));
    const int top = static_cast<int>(std::floor(place.top() + kSlack));
    const int right = static_cast<int>(std::ceil(place.right() - kSlack));
    const int bottom = static_cast<int>(std::ceil(place.bottom() - kSlack));
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

QRect ScreenScale::Near(const QRect& game) const {
    const QRectF place = Place(game);
    const QPoint topLeft(static_cast<int>(std::lround(place.left())),
                         static_cast<int>(std::lround(place.top())));
    const QPoint end(static_cast<int>(std::lround(place.right())),
                     static_cast<int>(std::lround(place.bottom())));
    return QRect(topLeft,
                 QSize(std::max(end.x() - topLeft.x(), 1), std::max(end.y() - topLeft.y(), 1)));
}

QPointF ScreenScale::ToGame(const QPointF& logical) const {
    return (logical - Origin) / Logical();
}

int FittingFactor(QSize design, QSize room, qreal ratio, int wanted) {
    const int wide = ScreenPixels(room.width(), ratio), high = ScreenPixels(room.height(), ratio);
    for (int factor = wanted; factor > 1; --factor)
        if (design.width() * factor <= wide && design.height() * factor <= high) return factor;
    return 1;
}

ScreenScale WindowedScale(QSize design, QSize available, QMargins margins, qreal ratio) {
    const QSize room(available.width() - margins.left() - margins.right(),
                     available.height() - margins.top() - margins.bottom());
    const int nearest = std::max(1, static_cast<int>(std::lround(ratio)));
    return ScreenScale{FittingFactor(design, room, ratio, nearest), ratio, QPointF()};
}

ScreenScale FullScreenScale(QSize design, QSize screen, qreal ratio) {
    const int wide = ScreenPixels(screen.width(), ratio);
    const int high = ScreenPixels(screen.height(), ratio);
    const int factor = std::max(1, std::min(wide / design.width(), high / design.height()));
    // Centred, its corner on a whole screen pixel: each game pixel covers whole screen pixels.
    const int left = (wide - design.width() * factor) / 2;
    const int top = (high - design.height() * factor) / 2;
    return ScreenScale{factor, ratio, QPointF(left / ratio, top / ratio)};
}

}  // namespace ZapModule
