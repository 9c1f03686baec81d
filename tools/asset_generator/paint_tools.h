// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Helpers shared by the picture makers: fresh pictures and layers, colour arithmetic, analytic
// shapes painted with supersampling, and the two-band sheets the masked animation draw needs.

#include <QColor>
#include <QImage>
#include <QPainter>
#include <functional>
#include <vector>

namespace ZapAssets {

// A colour with straight (not premultiplied) channels in 0..1.
struct Rgba {
    double r = 0, g = 0, b = 0, a = 0;
};

Rgba FromColor(const QColor& c, double alpha = 1.0);
// Linear blend from a (t = 0) to b (t = 1), t clamped.
QColor Mix(const QColor& a, const QColor& b, double t);
// Each channel multiplied by k (k > 1 lightens), clamped.
QColor Scale(const QColor& c, double k);

// An opaque RGB32 picture filled with one colour.
QImage NewPicture(int width, int height, const QColor& fill = Qt::black);
// A transparent premultiplied ARGB layer to draw on.
QImage NewLayer(int width, int height);

// A painter with antialiasing switched on.
void Smooth(QPainter& p);

// Paints a shape given as a function of the position (pixel centres are at x + 0.5): every pixel of
// `area` is sampled n x n times and the averaged colour is laid over what the pixel holds.
using ShapeFunction = std::function<Rgba(double x, double y)>;
void PaintShape(QImage& image, const QRect& area, const ShapeFunction& shape, int n = 4);

// The sheet of one animation: its frames (layers of equal size) side by side, the image band on
// top and the mask band below it. A pixel is opaque where its layer's alpha reaches a quarter;
// there the image band holds the layer's colour over black and the mask is black. Everywhere else
// the image band is black and the mask white, so the two raster copies draw the frame cleanly.
QImage MaskedSheet(const std::vector<QImage>& frames);

}  // namespace ZapAssets
