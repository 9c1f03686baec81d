#include "editor/level_set_commands.h"

namespace ZapModule {

LevelSetEdit::LevelSetEdit(const QString& text, LevelSet before, LevelSet after,
                           std::function<void(const LevelSet&)> show)
    : QUndoCommand(text),
      before_(std::move(before)),
      after_(std::move(after)),
      show_(std::move(show)) {}

void LevelSetEdit::undo() {
    show_(before_);
}

void LevelSetEdit::redo() {
    show_(after_);
}

}  // namespace ZapModule
