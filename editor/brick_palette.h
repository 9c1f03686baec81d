// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The palette: every brick picture of the game's brick sheet, the three brick types, every bonus
// picture and the points, which together make the brick the next click places.

#include <QComboBox>
#include <QListWidget>
#include <QSpinBox>
#include <QWidget>
#include <functional>

#include "editor/editor_session.h"

namespace ZapModule {

class BrickPalette : public QWidget {
  public:
    // The sprites give the pictures; `defaultPoints` the points a new brick of a picture and type
    // gets.
    BrickPalette(const GameState& sprites, std::function<int16_t(int16_t, int16_t)> defaultPoints,
                 QWidget* parent);

    // The kind of brick chosen, and the kind of `brick` shown, as picked from the field.
    PaletteBrick Chosen() const;
    void Pick(const PaletteBrick& brick);

    // The kind chosen changed.
    std::function<void()> OnChanged;
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

}  // namespace ZapModule
