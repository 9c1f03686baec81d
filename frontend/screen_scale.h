// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How a window designed in game pixels is drawn on a screen: every game pixel becomes a square
// block of Factor × Factor screen pixels, whatever Qt's device pixel ratio, so the pictures stay
// sharp and a one-pixel line stays one block wide. On a screen scaled by a fraction (1.25, 1.5)
// the window is drawn at the nearest whole factor instead, and at a smaller one when that does not
// fit the screen. Qt places widgets in logical pixels (screen pixels / ratio): the scale converts.

#include <QMargins>
#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QSize>

namespace ZapModule {

struct ScreenScale {
    int Factor = 1;   // screen pixels per game pixel, along each axis
    qreal Ratio = 1;  // Qt's device pixel ratio: screen pixels per logical pixel
    QPointF Origin;   // the game pixel (0, 0)'s corner in the window, logical pixels

    // Logical pixels per game pixel.
    qreal Logical() const { return Factor / Ratio; }
    // Where a rectangle of game pixels lies in the window (its corners on whole screen pixels).
    QRectF Place(const QRect& game) const;
    // The smallest rectangle of whole logical pixels that holds Place(game).
    QRect Cover(const QRect& game) const;
    // Place(game) rounded to whole logical pixels (for controls, whose text need not be exact).
    QRect Near(const QRect& game) const;
    // The game pixel under a point of the window (logical pixels), not rounded.
    QPointF ToGame(const QPointF& logical) const;
    // True when a game pixel is one logical and one screen pixel.
    bool OneToOne() const { return Factor == 1 && Ratio == 1; }
};

// The largest whole factor, from `wanted` down to 1, at which `design` (game pixels) fits into
// `room` (logical pixels) on a screen of device pixel ratio `ratio`; 1 when none does.
int FittingFactor(QSize design, QSize room, qreal ratio, int wanted);

// The scale of a window in a frame of its own: the nearest whole factor to `ratio` (at least 1)
// that lets `design` and the frame's `margins` fit the screen's `available` area.
ScreenScale WindowedScale(QSize design, QSize available, QMargins margins, qreal ratio);
// The scale of a full-screen window on a screen of `screen` logical pixels: the largest whole
// factor that fits, the picture centred on whole screen pixels.
ScreenScale FullScreenScale(QSize design, QSize screen, qreal ratio);

}  // namespace ZapModule
