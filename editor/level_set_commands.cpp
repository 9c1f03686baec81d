// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/level_set_commands.h"

namespace ZapModule {

LevelSetEdit::LevelSetEdit(const QString& text, LevelSetChange change, LevelSet& set,
                           std::function<void()> shown)
    : QUndoCommand(text), change_(std::move(change)), set_(set), shown_(std::move(shown)) {}

void LevelSetEdit::undo() {
    Undo(set_, change_);
    shown_();
}

void LevelSetEdit::redo() {
    Redo(set_, change_);
    shown_();
}

}  // namespace ZapModule
