#pragma once
// Form1's field Picture1(0): shows GameState::Field, the surface every game step draws, without
// copying it, and forwards the five game keys to the rules.

#include <QWidget>

#include "game/state.h"

namespace ZapModule {

class FieldView : public QWidget {
  public:
    FieldView(GameState& s, QWidget* parent);

    // The rules' key code of a Qt key (Esc 27, Space 32, Up 38, Down 40, P 80); 0 for keys the
    // game does not use.
    static int KeyCode(int qtKey);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool focusNextPrevChild(bool next) override;

  private:
    GameState& s_;
};

}  // namespace ZapModule
