// SPDX-License-Identifier: GPL-3.0-or-later
// The bat (a metal rod with rounded ends), the ball (a small glowing sphere) and the wall (an
// energy barrier standing at the right of the field).

#include <algorithm>
#include <cmath>

#include "model/field_geometry.h"
#include "tools/asset_generator/paint_tools.h"
#include "tools/asset_generator/pictures.h"
#include "tools/asset_generator/seeded_random.h"

namespace ZapAssets {
namespace {

const QColor kSteel(150, 166, 188);
const QColor kCoreGlow(90, 230, 255);

// The rod's colour across its width: a cylinder lit from the upper left, with a narrow highlight.
QColor RodColumn(int x, double brightness) {
    const double u = ((x + 0.5) / kBatWidth) * 2.0 - 1.0;
    const double nz = std::sqrt(std::max(0.0, 1.0 - u * u));
    const double diffuse = std::max(0.0, -0.55 * u + 0.83 * nz);
    const double specular = std::pow(diffuse, 14.0);
    const QColor lit = Scale(kSteel, (0.22 + 0.78 * diffuse) * brightness);
    return Mix(lit, Qt::white, 0.65 * specular);
}

// Row kinds of one body segment. Rows 0..23 are symmetric about 11.5 and rows 24..26 (the joint to
// the next segment, hidden under the bottom cap on the last one) about 25, so the bat looks the
// same upside down in all three lengths.
double RowBrightness(int row) {
    if (row == 25) return 0.45;              // groove between segments
    if (row == 24 || row == 26) return 0.8;  // its edges
    return 1.0;
}

}  // namespace

QImage BatBody() {
    QImage body = NewPicture(kBatWidth, kBatSegmentHeight);
    for (int y = 0; y < kBatSegmentHeight; ++y)
        for (int x = 0; x < kBatWidth; ++x)
            body.setPixel(x, y, RodColumn(x, RowBrightness(y)).rgb());
    // An energy window in the middle of the segment: a dark slot with a glowing core.
    for (int y = 10; y <= 13; ++y) {
        for (int x = 3; x <= 8; ++x) {
            const bool core = y >= 11 && y <= 12 && x >= 4 && x <= 7;
            const QColor c = core ? Mix(kCoreGlow, Qt::white, (x == 5 || x == 6) ? 0.45 : 0.0)
                                  : QColor(24, 34, 46);
            body.setPixel(x, y, c.rgb());
        }
    }
    return body;
}

QImage BatCap() {
    QImage cap = NewPicture(kBatWidth, kBatCapHeight);
    // The rounded end: coverage of each pixel by a half-ellipse over the rod's width.
    for (int y = 0; y < kBatCapHeight; ++y) {
        for (int x = 0; x < kBatWidth; ++x) {
            double covered = 0;
            for (int s = 0; s < 16; ++s) {
                const int column = s % 4, row = s / 4;  // of a 4 x 4 grid of samples
                const double sx = x + (column + 0.5) / 4.0;
                const double sy = y + (row + 0.5) / 4.0;
                const double u = (sx - kBatWidth / 2.0) / (kBatWidth / 2.0);
                const double v = (kBatCapHeight + 0.6 - sy) / (kBatCapHeight + 0.6);
                if (u * u + v * v <= 1.0) covered += 1.0 / 16;
            }
            const double rim = 0.72 + 0.1 * y;  // the end faces upward, away from the light
            cap.setPixel(x, y, Scale(RodColumn(x, rim), covered).rgb());
        }
    }
    return cap;
}

QImage Ball() {
    QImage ball = NewPicture(ZapModule::kBallSize, ZapModule::kBallSize);
    const double c = 6.0, radius = 4.4;
    PaintShape(ball, ball.rect(), [=](double x, double y) {
        const double dx = (x - c) / radius, dy = (y - c) / radius;
        const double d2 = dx * dx + dy * dy;
        if (d2 > 1.0) {
            // A soft blue halo fading out towards the picture's edge.
            const double d = std::sqrt(d2) * radius;
            const double glow = std::clamp(1.0 - (d - radius) / 1.8, 0.0, 1.0);
            return FromColor(QColor(40, 140, 255), 0.55 * glow * glow);
        }
        const double nz = std::sqrt(1.0 - d2);
        const double light = std::max(0.0, -0.45 * dx - 0.5 * dy + 0.74 * nz);
        const QColor body = Mix(QColor(30, 110, 230), QColor(150, 235, 255), light);
        return FromColor(Mix(body, Qt::white, std::pow(light, 10.0)));
    });
    return ball;
}

QImage Wall() {
    // From the wall's column to the field's right edge, the field's height.
    constexpr int kWidth = ZapModule::kFieldWidth - ZapModule::kWallLeft;
    constexpr int kHeight = ZapModule::kFieldHeight;
    QImage wall = NewPicture(kWidth, kHeight);
    SeededRandom random(12);
    // Slow ripples running up the barrier, each row a little brighter or darker.
    std::vector<double> ripple(kHeight);
    for (int y = 0; y < kHeight; ++y)
        ripple[y] =
            0.78 + 0.14 * std::sin(y * 0.75 + 2.5 * std::sin(y * 0.071)) + 0.08 * random.Uniform();
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            QColor c;
            if (x <= 1 || x >= kWidth - 2) {
                // The emitter rails on both sides, with a notch every 25 rows.
                const bool notch = y % 25 == 12;
                c = notch                         ? QColor(20, 40, 60)
                    : (x == 0 || x == kWidth - 1) ? QColor(58, 72, 90)
                                                  : QColor(110, 130, 155);
            } else {
                const double fromCentre = std::abs(x - 7.0) / 5.5;
                const double core = std::pow(1.0 - fromCentre, 1.6) * ripple[y];
                c = Mix(QColor(10, 40, 110), QColor(110, 220, 255), core);
                if (x == 7) c = Mix(c, Qt::white, 0.35 * ripple[y]);
            }
            wall.setPixel(x, y, c.rgb());
        }
    }
    // A few sparks in the field.
    for (int i = 0; i < 40; ++i) {
        const int x = 3 + random.Below(kWidth - 6), y = random.Below(kHeight);
        wall.setPixel(x, y, QColor(220, 250, 255).rgb());
    }
    return wall;
}

}  // namespace ZapAssets
