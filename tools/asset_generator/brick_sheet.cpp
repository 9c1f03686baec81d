// SPDX-License-Identifier: GPL-3.0-or-later
// The brick sheet: chips and memory cells in clear colours (ordinary bricks), armoured chips in a
// heavy metal frame (double bricks), and metal plates (steel bricks), each plate followed by the
// bright picture it shows for a moment when a ball rings it.

#include <cmath>
#include <functional>

#include "model/field_geometry.h"
#include "tools/asset_generator/paint_tools.h"
#include "tools/asset_generator/pictures.h"
#include "tools/asset_generator/seeded_random.h"

namespace ZapAssets {
namespace {

constexpr int kCellW = ZapModule::kCellWidth, kCellH = ZapModule::kCellHeight;

const QColor kGreen(46, 184, 72), kBlue(52, 112, 232), kYellow(236, 192, 36), kRed(214, 50, 50),
    kPurple(150, 76, 214), kCyan(34, 184, 204), kOrange(236, 124, 30), kMagenta(206, 58, 156);
const QColor kPin(176, 178, 186), kGold(226, 178, 60), kFlash(232, 246, 255);

// A box with a one-pixel bevel: light top and left edges, dark bottom and right edges, and a face
// that darkens slightly from top to bottom.
void BevelBox(QImage& cell, int x0, int y0, int x1, int y1, const QColor& face) {
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            QColor c = Scale(face, 1.08 - 0.18 * (y - y0) / std::max(1, y1 - y0));
            if (y == y0 || x == x0) c = Mix(face, Qt::white, 0.45);
            if (y == y1 || x == x1) c = Scale(face, 0.55);
            cell.setPixel(x, y, c.rgb());
        }
    }
}

void Dot(QImage& cell, int x, int y, const QColor& c) {
    cell.setPixel(x, y, c.rgb());
}

// A screw or rivet: a 2 x 2 head lit from the upper left.
void Rivet(QImage& cell, int x, int y, const QColor& metal) {
    Dot(cell, x, y, Mix(metal, Qt::white, 0.7));
    Dot(cell, x + 1, y, metal);
    Dot(cell, x, y + 1, metal);
    Dot(cell, x + 1, y + 1, Scale(metal, 0.45));
}

// An ordinary brick as a chip: a coloured package with silver pins on both sides.
QImage Chip(const QColor& colour) {
    QImage cell = NewPicture(kCellW, kCellH);
    for (int pin = 0; pin < 4; ++pin) {
        const int y = 4 + 5 * pin;
        for (int x : {0, 1, 18, 19}) {
            Dot(cell, x, y, kPin);
            Dot(cell, x, y + 1, Scale(kPin, 0.6));
        }
    }
    BevelBox(cell, 2, 1, 17, 23, colour);
    // The die window in the middle and the notch and pin-one mark of the package.
    BevelBox(cell, 6, 8, 13, 16, Scale(colour, 0.62));
    for (int x = 8; x <= 11; ++x) Dot(cell, x, 12, Mix(colour, Qt::white, 0.55));
    Dot(cell, 9, 2, Scale(colour, 0.4));
    Dot(cell, 10, 2, Scale(colour, 0.4));
    Dot(cell, 4, 20, Scale(colour, 0.45));
    return cell;
}

// An ordinary brick as a memory cell: a grid of storage cells over gold contacts.
QImage MemoryCell(const QColor& colour) {
    QImage cell = NewPicture(kCellW, kCellH);
    BevelBox(cell, 1, 1, 18, 23, colour);
    for (int row = 0; row < 4; ++row) {
        for (int col = 0; col < 2; ++col) {
            const int x = 4 + 7 * col, y = 3 + 4 * row;
            for (int dy = 0; dy < 3; ++dy)
                for (int dx = 0; dx < 5; ++dx)
                    Dot(cell, x + dx, y + dy,
                        dy == 0 ? Mix(colour, Qt::white, 0.3) : Scale(colour, 0.5));
        }
    }
    for (int x = 3; x <= 16; ++x) {
        const QColor c = (x % 2 == 1) ? kGold : Scale(kGold, 0.45);
        Dot(cell, x, 20, c);
        Dot(cell, x, 21, Scale(c, 0.8));
    }
    return cell;
}

// A double brick: a chip with cooling fins, held in a thick riveted metal frame.
QImage ArmouredChip(const QColor& colour) {
    QImage cell = NewPicture(kCellW, kCellH);
    const QColor frame(128, 134, 146);
    BevelBox(cell, 0, 0, 19, 24, frame);
    BevelBox(cell, 1, 1, 18, 23, frame);
    BevelBox(cell, 3, 3, 16, 21, colour);
    for (int y = 5; y <= 19; y += 2)
        for (int x = 5; x <= 14; ++x) Dot(cell, x, y, Scale(colour, 0.6));
    for (int y : {1, 22})
        for (int x : {1, 17}) Rivet(cell, x, y, QColor(200, 204, 212));
    return cell;
}

// A steel brick: a brushed plate with four screws; `tread` raises the short diagonal ribs of a
// tread plate on it.
QImage SteelPlate(bool tread, bool flash) {
    QImage cell = NewPicture(kCellW, kCellH);
    const QColor metal = tread ? QColor(120, 128, 140) : QColor(146, 152, 162);
    BevelBox(cell, 0, 0, 19, 24, metal);
    SeededRandom random(tread ? 21 : 20);
    for (int y = 1; y <= 23; ++y) {
        const double streak = 0.96 + 0.06 * random.Uniform();
        for (int x = 1; x <= 18; ++x)
            Dot(cell, x, y, Scale(metal, streak * (1.06 - 0.2 * y / 24.0)));
    }
    if (tread) {
        for (int j = 0; j < 4; ++j) {
            for (int i = 0; i < 3; ++i) {
                const int cx = 4 + 6 * i, cy = 5 + 5 * j;
                const int slope = ((i + j) % 2 == 0) ? 1 : -1;
                for (int d = -1; d <= 1; ++d) {
                    Dot(cell, cx + d, cy - slope * d, Mix(metal, Qt::white, 0.55));
                    Dot(cell, cx + d, cy - slope * d + 1, Scale(metal, 0.55));
                }
            }
        }
    }
    for (int y : {1, 22})
        for (int x : {1, 17}) Rivet(cell, x, y, QColor(196, 200, 208));
    if (flash) {
        // The ringing plate glows white-hot with a bright rim.
        for (int y = 0; y < kCellH; ++y) {
            for (int x = 0; x < kCellW; ++x) {
                const bool rim = x == 0 || y == 0 || x == kCellW - 1 || y == kCellH - 1;
                const QColor c(cell.pixel(x, y));
                Dot(cell, x, y, rim ? QColor(255, 255, 255) : Mix(c, kFlash, 0.6));
            }
        }
    }
    return cell;
}

// The cells in sheet order (assets/levels.txt names them by their index).
std::vector<QImage> Cells() {
    return {
        Chip(kGreen),
        Chip(kBlue),
        Chip(kYellow),
        Chip(kRed),
        MemoryCell(kPurple),
        MemoryCell(kCyan),
        ArmouredChip(kOrange),
        ArmouredChip(kMagenta),
        SteelPlate(false, false),
        SteelPlate(false, true),
        SteelPlate(true, false),
        SteelPlate(true, true),
    };
}

}  // namespace

QImage BrickSheet() {
    const std::vector<QImage> cells = Cells();
    QImage sheet = NewPicture(kCellW * static_cast<int>(cells.size()), kCellH);
    QPainter p(&sheet);
    for (size_t i = 0; i < cells.size(); ++i)
        p.drawImage(static_cast<int>(i) * kCellW, 0, cells[i]);
    return sheet;
}

}  // namespace ZapAssets
