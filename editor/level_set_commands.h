#pragma once
// One edit of the level set for the undo stack: the set before and after it. Sets are small (the
// shipped one is a few kilobytes), so keeping both whole is simpler and safer than undoing each
// kind of edit by hand.

#include <QUndoCommand>
#include <functional>

#include "editor/level_set.h"

namespace ZapModule {

class LevelSetEdit : public QUndoCommand {
  public:
    // `show` puts a set into the editor and shows it; the edit's first redo shows `after`.
    LevelSetEdit(const QString& text, LevelSet before, LevelSet after,
                 std::function<void(const LevelSet&)> show);

    void undo() override;
    void redo() override;

  private:
    LevelSet before_, after_;
    std::function<void(const LevelSet&)> show_;
};

}  // namespace ZapModule
