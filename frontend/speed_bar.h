// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The menu's speed bar HScroll1: a horizontal scroll bar whose keys work as the platform's scroll
// bars do, whatever Qt's default: Right and Down add the arrow step, Left and Up take it away,
// Page Down adds the page step and Page Up takes it away, Home and End go to the ends.

#include <QScrollBar>

namespace ZapModule {

class SpeedBar : public QScrollBar {
  public:
    explicit SpeedBar(QWidget* parent);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace ZapModule
