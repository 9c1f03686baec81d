// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The editor's main window: the list of levels, the field of the level being edited, the palette
// and the problems the rules find, with the menus for files, edits, levels and test play. What
// the commands do with the set is the EditorSession's; the window shows it, asks and says.

#include <QListWidget>
#include <QMainWindow>
#include <QMessageBox>

#include "editor/brick_palette.h"
#include "editor/editor_session.h"
#include "editor/field_canvas.h"
#include "editor/level_set_files.h"
#include "editor/set_publisher.h"
#include "editor/test_play.h"
#include "layout/data_layout.h"
#include "storage/level_rules.h"

namespace ZapModule {

class EditorWindow : public QMainWindow {
  public:
    // `sprites` holds the game's loaded sprites for as long as the window lives.
    EditorWindow(GameState& sprites, DataLayout layout, QWidget* parent = nullptr);
    ~EditorWindow() override;

    // The game's dark colours, for the window and for the dialogs it opens (which take the
    // application's).
    static QPalette Colours();

    // Sizes the window as large as it wants to be but no larger than its screen's free area,
    // and centres it there.
    void PlaceOnScreen();
    // Opens a level set file, asking first about unsaved changes; false (with the reason shown)
    // when it is refused, leaving the open set as it was.
    bool Open(const QString& path);
    // Saves to `path` (the text; levels.ko beside it); false when it was refused or failed.
    bool SaveAs(const QString& path);

    // For tests: the document and the controls.
    const EditorSession& Session() const { return session_; }
    FieldCanvas* Canvas() const { return canvas_; }
    BrickPalette* Palette() const { return palette_; }
    QListWidget* LevelList() const { return levelList_; }
    TestPlay* Play() const { return testPlay_; }
    // Messages are shown in boxes unless switched off, when they are only kept here (tests).
    bool QuietMessages = false;
    QString LastMessage;
    // The answer a quiet window gives to its questions.
    bool QuietAnswer = false;

    void SelectLevel(size_t level);
    void Undo();
    void Redo();
    void DeleteSelection();
    void CopySelection();
    // Pastes the copied bricks with their first one's cell at field point (x, y).
    void PasteAt(int x, int y);
    void AddLevel();
    void DuplicateLevel();
    void DeleteLevel();
    void MoveCurrentLevel(int by);
    // Gives the current level a title (empty for none), one undo step; false, with the reason
    // said, for one the set's text would not keep whole.
    bool SetLevelTitle(const std::string& title);
    bool TestPlayLevel();
    // Starts the game on the saved set (`zapwall --levels`), its progress kept apart; an unsaved
    // set is saved first, if the author agrees.
    bool PlaySet();
    // Publishes the set to the hall server at `server` (as HallServerAddress gives it) under
    // `title` and `author`, without waiting for the answer, which is said when it comes; false
    // (with the reason said) for a set the game would refuse.
    bool Publish(const std::string& server, const QString& title, const QString& author);

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void BuildMenus();
    // Shows the session's set, its level list, problems, undo steps and title.
    void Refresh();
    // Shows the level as a stroke of the pointer changes it.
    void ShowStroke();
    // Calls `command`, then shows what it did.
    void Run(const std::function<void()>& command);
    void NewSet();
    void OpenAsked();
    bool Save();
    bool SaveAsked();
    bool MayDiscard();
    void Say(const QString& text, QMessageBox::Icon icon = QMessageBox::Warning);
    bool Ask(const QString& text);
    void LevelDragged(int from, int to);
    void RenameLevelAsked();
    // Asks the title and the author and publishes the set to the settings' hall server.
    void PublishAsked();
    // Whether the game would refuse the set; then `what` is said with the refusals.
    bool SaidRefusals(const QString& what);

    GameState& sprites_;
    DataLayout layout_;
    EditorSession session_;
    QString path_;
    FilesOnDisk onDisk_;  // the files of path_ as last read or written here
    std::vector<LevelRuleProblem> shownProblems_;  // the first ones, as the list shows them
    QAction* undo_ = nullptr;
    QAction* redo_ = nullptr;
    FieldCanvas* canvas_;
    BrickPalette* palette_;
    QListWidget* levelList_;
    QListWidget* problemList_;
    TestPlay* testPlay_;
    SetPublisher* publisher_;
    bool askWhereToSave_ = false;
    bool refreshing_ = false;
};

}  // namespace ZapModule
