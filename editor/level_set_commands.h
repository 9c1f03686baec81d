// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One edit of the level set for the undo stack: what it changed in the set (a few bricks, or a
// level moved, added or removed), applied to the editor's set and taken back.

#include <QUndoCommand>
#include <functional>

#include "editor/level_set_change.h"

namespace ZapModule {

class LevelSetEdit : public QUndoCommand {
  public:
    // `set` is the editor's set, before the change; `shown` shows it after each step. The
    // edit's first redo makes the change.
    LevelSetEdit(const QString& text, LevelSetChange change, LevelSet& set,
                 std::function<void()> shown);

    void undo() override;
    void redo() override;

  private:
    LevelSetChange change_;
    LevelSet& set_;
    std::function<void()> shown_;
};

}  // namespace ZapModule
