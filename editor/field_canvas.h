// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The playing field, enlarged by a whole factor (1:1 at first), drawn by the game's own drawing
// code from its sprites, with the editor's marks over it: the grid, the bonus each brick carries,
// the selection and the bricks the rules object to. It turns the mouse into requests in field
// pixels; the window decides.

#include <QImage>
#include <QPoint>
#include <QWidget>
#include <functional>
#include <optional>
#include <set>

#include "editor/level_set.h"

namespace ZapModule {

class FieldCanvas : public QWidget {
  public:
    enum class Tool { Draw, Select };

    // `sprites` holds the game's loaded sprites; the canvas draws on its Field surface.
    FieldCanvas(GameState& sprites, QWidget* parent);

    void ShowLevel(const EditorLevel& level, const std::vector<size_t>& selection,
                   const std::set<size_t>& faulty);
    void SetTool(Tool tool);
    // Shows each field pixel as `zoom` x `zoom` screen pixels (1 to 4).
    void SetZoom(int zoom);
    int Zoom() const { return zoom_; }

    // Draw tool: the left button at a field point, pressed or dragged; `free` when Shift asks
    // for the exact point instead of the grid cell.
    std::function<void(int x, int y, bool free)> OnDraw;
    // Draw tool: the right button at a field point, pressed or dragged.
    std::function<void(int x, int y)> OnErase;
    // A press-and-drag of either tool ended.
    std::function<void()> OnStrokeEnd;
    // Select tool: these bricks were picked (a click or a rubber band; with Ctrl, added).
    std::function<void(std::vector<size_t> bricks, bool add)> OnSelect;
    // Select tool: the selection was dragged by this much, on the grid unless Shift was held.
    std::function<void(int dx, int dy)> OnMoveSelection;

    // The picture of the field as shown (at the zoom), for tests and screenshots.
    QImage Picture();
    // The cell the keyboard works on (its top-left corner): the arrow keys move it, Space places
    // as a click of the left button there, Backspace removes as one of the right button.
    QPoint Cursor() const { return cursor_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    QPoint Dragged() const;
    QPoint FieldPoint(const QMouseEvent* event) const;
    void DrawMarks(QPainter& painter);

    GameState& s_;
    QImage bonusSheet_;
    EditorLevel level_;
    std::vector<size_t> selection_;
    std::set<size_t> faulty_;
    Tool tool_ = Tool::Draw;
    Qt::MouseButton held_ = Qt::NoButton;
    QPoint pressAt_, mouseAt_;
    QPoint cursor_{0, kCellHeight};
    bool movingSelection_ = false;
    bool freeMove_ = false;
    int zoom_ = 1;
};

}  // namespace ZapModule
