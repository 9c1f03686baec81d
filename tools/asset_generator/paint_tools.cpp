// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/asset_generator/paint_tools.h"

#include <algorithm>
#include <cmath>

namespace ZapAssets {
namespace {

int Channel(double v) {
    return std::clamp(static_cast<int>(std::lround(v * 255.0)), 0, 255);
}

// Alpha (0..255) from which a layer pixel counts as part of an animation frame.
constexpr int kOpaqueFrom = 64;

}  // namespace

Rgba FromColor(const QColor& c, double alpha) {
    return {c.redF(), c.greenF(), c.blueF(), c.alphaF() * alpha};
}

QColor Mix(const QColor& a, const QColor& b, double t) {
    t = std::clamp(t, 0.0, 1.0);
    auto lerp = [t](int x, int y) { return static_cast<int>(std::lround(x + (y - x) * t)); };
    return QColor(lerp(a.red(), b.red()), lerp(a.green(), b.green()), lerp(a.blue(), b.blue()),
                  lerp(a.alpha(), b.alpha()));
}

QColor Scale(const QColor& c, double k) {
    return QColor(Channel(c.redF() * k), Channel(c.greenF() * k), Channel(c.blueF() * k),
                  c.alpha());
}

QImage NewPicture(int width, int height, const QColor& fill) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(fill.rgb());
    return image;
}

QImage NewLayer(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

void Smooth(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing, true);
}

void PaintShape(QImage& image, const QRect& area, const ShapeFunction& shape, int n) {
    const QRect clipped = area.intersected(image.rect());
    const bool opaqueTarget = image.format() == QImage::Format_RGB32;
    for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = clipped.left(); x <= clipped.right(); ++x) {
            // Average the samples premultiplied, so transparent samples add no colour.
            double r = 0, g = 0, b = 0, a = 0;
            for (int sy = 0; sy < n; ++sy) {
                for (int sx = 0; sx < n; ++sx) {
                    const Rgba s = shape(x + (sx + 0.5) / n, y + (sy + 0.5) / n);
                    const double sa = std::clamp(s.a, 0.0, 1.0);
                    r += s.r * sa;
                    g += s.g * sa;
                    b += s.b * sa;
                    a += sa;
                }
            }
            const double count = static_cast<double>(n) * n;
            r /= count, g /= count, b /= count, a /= count;
            if (a <= 0) continue;
            // Source over destination, both premultiplied.
            const QRgb d = row[x];
            const double da = opaqueTarget ? 1.0 : qAlpha(d) / 255.0;
            const double keep = 1.0 - a;
            const double outR = r + qRed(d) / 255.0 * keep;
            const double outG = g + qGreen(d) / 255.0 * keep;
            const double outB = b + qBlue(d) / 255.0 * keep;
            const double outA = opaqueTarget ? 1.0 : a + da * keep;
            row[x] = qRgba(Channel(outR), Channel(outG), Channel(outB), Channel(outA));
        }
    }
}

QImage MaskedSheet(const std::vector<QImage>& frames) {
    const int w = frames.front().width();
    const int h = frames.front().height();
    QImage sheet = NewPicture(w * static_cast<int>(frames.size()), 2 * h);
    for (size_t f = 0; f < frames.size(); ++f) {
        const QImage layer = frames[f].convertToFormat(QImage::Format_ARGB32_Premultiplied);
        for (int y = 0; y < h; ++y) {
            const QRgb* src = reinterpret_cast<const QRgb*>(layer.constScanLine(y));
            QRgb* image = reinterpret_cast<QRgb*>(sheet.scanLine(y));
            QRgb* mask = reinterpret_cast<QRgb*>(sheet.scanLine(h + y));
            for (int x = 0; x < w; ++x) {
                const int sx = static_cast<int>(f) * w + x;
                const QRgb s = src[x];
                const bool opaque = qAlpha(s) >= kOpaqueFrom;
                // Premultiplied channels are the colour laid over black.
                image[sx] = opaque ? qRgb(qRed(s), qGreen(s), qBlue(s)) : qRgb(0, 0, 0);
                mask[sx] = opaque ? qRgb(0, 0, 0) : qRgb(255, 255, 255);
            }
        }
    }
    return sheet;
}

}  // namespace ZapAssets
