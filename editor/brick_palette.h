// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The palette: every brick picture of the game's brick sheet, the three brick types, every bonus
// picture and the points, which together make the brick the next click places.

#include <QComboBox>
#include <QListWidget>
#include <QSpinBox>
#include <QWidget>
#include <functional>

#include "game/contract/state.h"

namespace ZapModule {

class BrickPalette : public QWidget {
  public:
    // The sprites give the pictures; `defaultPoints` the points a new brick of a picture and type
    // gets.
    BrickPalette(const GameState& sprites, std::function<int16_t(int16_t, int16_t)> defaultPoints,
                 QWidget* parent);

    // How many pictures the brick sheet holds.
    int BrickPictures() const { return pictures_->count(); }
    // The brick the palette makes, at (x, y).
    BrickRecord Brick(int x, int y) const;
    // Shows the kind of `brick` (picture, type, bonus, points), as picked from the field.
    void Pick(const BrickRecord& brick);

    // "Použít na výběr": the kind was asked to replace that of the selected bricks.
    std::function<void()> OnApplyToSelection;

  private:
    void TakeDefaultPoints();

    std::function<int16_t(int16_t, int16_t)> defaultPoints_;
    QListWidget* pictures_;
    QComboBox* type_;
    QListWidget* bonuses_;
    QSpinBox* points_;
};

// The Czech names of the bonus kinds, 1 to 12 (0 is none).
QString BonusName(int bonus);

}  // namespace ZapModule
