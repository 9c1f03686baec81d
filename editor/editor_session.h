// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The level editor without its windows: what the editor does with its document (level_set*). It
// keeps the set, the level shown, the selection, the clipboard, the palette's brick and the undo
// and redo steps (each only what its edit changed, LevelSetChange), and says in Czech why an edit
// or a save is refused. Plain C++: the desktop's EditorWindow and the page's module
// (browser/editor/editor_exports.cpp) both show it and forward their commands here.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "editor/level_set.h"
#include "editor/level_set_change.h"
#include "editor/level_set_check.h"
#include "editor/level_set_files.h"

namespace ZapModule {

// The problems the editor lists at once, of however many there are.
constexpr size_t kShownProblems = 200;

// The brick the palette makes: picture, type, points and the bonus it leaves.
struct PaletteBrick {
    int16_t Picture = 0, Type = 0, Points = 10, Bonus = 0;
};

// The Czech names of the brick types (0 to kTypeSteel) and of the bonus kinds, 1 to 12 ("žádný"
// for 0).
std::string TypeName(int type);
std::string BonusName(int bonus);
// How many pictures the brick sheet of the loaded `sprites` holds (the check's limit).
int BrickPictures(const GameState& sprites);

class EditorSession {
  public:
    // `brickPictures` is how many pictures the brick sheet holds (the check's limit).
    explicit EditorSession(int brickPictures);

    // A new set of one level, or the set in the file at `path` (a level text, or a level file
    // when it ends in ".ko"); the file's problems in Czech when it cannot be opened, and the set
    // shown stays. `onDisk` gets the files as they were read.
    void NewSet();
    std::vector<std::string> Open(const std::string& path, FilesOnDisk* onDisk = nullptr);

    const LevelSet& Set() const { return set_; }
    const EditorLevel& Level() const { return set_.Levels[current_]; }
    size_t Current() const { return current_; }
    void SelectLevel(size_t level);

    // The palette. The points follow the picture and the type (DefaultPoints) unless given.
    const PaletteBrick& Palette() const { return palette_; }
    void SetPalette(const PaletteBrick& brick) { palette_ = brick; }
    int16_t DefaultPointsFor(int16_t picture, int16_t type) const;
    BrickRecord PaletteBrickAt(int x, int y) const;

    // A stroke of the pointer on the field: each point places the palette's brick in its grid
    // cell (`free`: centred on the point, off the grid) or removes the brick under it; the end
    // makes it one step to undo, a cancel (a second finger) takes it back.
    void StrokeDraw(int x, int y, bool free);
    void StrokeErase(int x, int y);
    void EndStroke();
    void CancelStroke();

    // The selection: bricks of the level shown, by index.
    const std::vector<size_t>& Selection() const { return selection_; }
    // `bricks` chosen (added to the selection when `add`): the brick under (x, y), or none, or
    // those a band meets. A selection of one brick gives the palette its kind.
    void Select(std::vector<size_t> bricks, bool add);
    void SelectAt(int x, int y, bool add);
    void SelectBand(int left, int top, int right, int bottom, bool add);
    // The selection made `bricks`, the palette left as it is.
    void SetSelection(std::vector<size_t> bricks);
    void SelectAll();
    bool OnSelection(int x, int y) const;
    void MoveSelection(int dx, int dy);
    void DeleteSelection();
    void ApplyPaletteToSelection();
    void CopySelection();
    bool CanPaste() const { return !clipboard_.empty(); }
    // Pastes the clipboard with its first brick in the cell of (x, y); at its own place when
    // not given.
    void Paste(std::optional<int> x = {}, std::optional<int> y = {});

    // The level list. Deleting the last level and a title the set's text would not give back
    // whole are refused, with nothing changed: why, in Czech (empty when done).
    void AddLevel();
    void DuplicateLevel();
    std::string DeleteLevel();
    std::string RenameLevel(const std::string& title);
    void MoveLevel(size_t from, size_t to);

    bool CanUndo() const { return !undo_.empty(); }
    bool CanRedo() const { return !redo_.empty(); }
    std::string UndoName() const { return CanUndo() ? undo_.back().Name : ""; }
    std::string RedoName() const { return CanRedo() ? redo_.back().Name : ""; }
    void Undo();
    void Redo();
    // Whether the set differs from the one last opened or kept.
    bool Changed() const { return set_ != keptSet_; }

    // The rules' problems of the set, kept up to date with every edit.
    const LevelSetCheck& Check() const { return check_; }

    // `what`, then why the game would refuse the set, a line each; empty when it would not.
    std::string Refusals(const std::string& what) const;
    // The text to keep for the set: the opened text byte for byte while the set is unchanged.
    std::string Text() const;
    // The set's text and level file written to `paths` (SaveLevelSet, which compares the files
    // with `*onDisk` when given); empty when written, otherwise why not in Czech (a set the game
    // would refuse is never written). The set is kept then: the next unchanged save writes the
    // same text.
    std::string Keep(const SavePaths& paths, FilesOnDisk* onDisk = nullptr);

    // The level shown alone as a level file, for a test play, in `bytes`; why the game would
    // refuse it, in Czech, when it would (and `bytes` is left as it was).
    std::string TestLevelFile(std::vector<uint8_t>& bytes) const;

  private:
    // Starts editing `set`, kept as `text` (empty for a set not yet kept), with nothing to undo.
    void Begin(LevelSet set, std::string text);

    struct Step {
        std::string Name;
        LevelSetChange Change;
    };

    // An edit of the set, or of the level shown alone (which copies only that level).
    void Edit(const std::string& name, const std::function<void(LevelSet&)>& change);
    void EditLevel(const std::string& name, const std::function<void(EditorLevel&)>& change);
    // The change that made the level shown of `before`.
    LevelSetChange LevelChange(EditorLevel before) const;
    void Push(const std::string& name, LevelSetChange change);
    void Refresh();

    int brickPictures_;
    LevelSet set_, keptSet_;
    std::string keptText_;
    size_t current_ = 0;
    std::vector<size_t> selection_;
    std::vector<BrickRecord> clipboard_;
    PaletteBrick palette_;
    std::optional<EditorLevel> strokeBefore_;  // the level shown before the stroke under way
    std::vector<Step> undo_, redo_;
    LevelSetCheck check_;
};

}  // namespace ZapModule
