// SPDX-License-Identifier: GPL-3.0-or-later
// The editor's window on Qt's offscreen platform: bricks placed, dragged, erased, moved and
// deleted with the mouse and undone, levels added and reordered, the set saved as text and
// levels.ko and opened again, refusals that write nothing, and a test play on a throw-away copy
// of the game.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QMouseEvent>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include "editor/editor_window.h"
#include "editor/level_set_files.h"
#include "graphics/sprites.h"
#include "pictures/picture_loader.h"
#include "storage/level_file.h"
#include "storage/roster.h"
#include "tests/storage/storage_test_support.h"

using namespace ZapModule;
using ZapModule::testing::ReadBytes;
using ZapModule::testing::TempFolder;

namespace {

const std::string kBuild = ZAPWALL_BUILD_DIR;

class EditorWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        sprites_.DataFolder = kBuild + "/data";
        std::string failed;
        ASSERT_TRUE(LoadSprites(sprites_, LoadPicture, &failed)) << failed;
        window_ =
            std::make_unique<EditorWindow>(sprites_, PortableLayout(kBuild, kBuild + "/data"));
        window_->QuietMessages = true;
        window_->show();
    }

    // A mouse event on the field at (x, y), as the window system sends it.
    void Mouse(QEvent::Type type, Qt::MouseButton button, int x, int y,
               Qt::KeyboardModifiers modifiers = {}) {
        const QPointF at(x, y);
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
        QMouseEvent event(type, at, window_->Canvas()->mapToGlobal(at), button, held, modifiers);
        QApplication::sendEvent(window_->Canvas(), &event);
    }
    void Click(Qt::MouseButton button, int x, int y, Qt::KeyboardModifiers modifiers = {}) {
        Mouse(QEvent::MouseButtonPress, button, x, y, modifiers);
        Mouse(QEvent::MouseButtonRelease, button, x, y, modifiers);
    }
    void Drag(Qt::MouseButton button, QPoint from, QPoint to) {
        Mouse(QEvent::MouseButtonPress, button, from.x(), from.y());
        Mouse(QEvent::MouseMove, button, (from.x() + to.x()) / 2, (from.y() + to.y()) / 2);
        Mouse(QEvent::MouseMove, button, to.x(), to.y());
        Mouse(QEvent::MouseButtonRelease, button, to.x(), to.y());
    }
    const EditorLevel& Level() { return window_->Session().Level(); }
    // A file of the test's own folder.
    QString Path(const std::string& name) const { return QString::fromStdString(folder_ / name); }
    void Undo(int steps) {
        for (int step = 0; step < steps; ++step) window_->Undo();
    }

    TempFolder folder_;
    GameState sprites_;
    std::unique_ptr<EditorWindow> window_;
};

TEST_F(EditorWindowTest, BricksArePlacedDraggedErasedAndUndoneWithTheMouse) {
    ASSERT_EQ(Level().size(), 1u);  // a new set's one brick
    Click(Qt::LeftButton, 45, 60);
    ASSERT_EQ(Level().size(), 2u);
    EXPECT_EQ(QPoint(Level()[0].X, Level()[0].Y), QPoint(40, 50));
    // A drag lays a row, one undo step for the whole stroke.
    Drag(Qt::LeftButton, {5, 5}, {65, 5});
    EXPECT_EQ(Level().size(), 2u + 3u);  // where pressed, moved through and released
    Drag(Qt::RightButton, {45, 60}, {205, 230});
    EXPECT_EQ(Level().size(), 3u);
    window_->Undo();
    EXPECT_EQ(Level().size(), 5u);
    Undo(2);
    EXPECT_EQ(Level().size(), 1u);
    window_->Redo();
    EXPECT_EQ(Level().size(), 2u);

    // The field shows the bricks with the game's sprites, 1:1.
    const QImage field = window_->Canvas()->Picture();
    const Surface& sheet = sprites_.Sprites[5].Pixels;
    const BrickRecord& brick = Level()[0];
    EXPECT_EQ(field.pixel(brick.X + 5, brick.Y + 7) | 0xff000000u,
              sheet.Pixel(brick.Picture * kCellWidth + 5, 7) | 0xff000000u);
    EXPECT_EQ(field.pixel(301, 301) & 0xffffffu, 0u);

    // The cut last column (x 480) is no cell of the grid, and a steel brick takes no bonus.
    Click(Qt::LeftButton, 485, 30);
    EXPECT_EQ(Level().size(), 2u);
    window_->Palette()->Pick({0, kTypeSteel, 5, 3});
    EXPECT_EQ(window_->Session().PaletteBrickAt(0, 0).Bonus, 0);
    // Zoomed twice, a click at (90, 120) is one at field point (45, 60).
    window_->Canvas()->SetZoom(2);
    EXPECT_EQ(window_->Canvas()->Picture().size(), QSize(2 * kFieldWidth, 2 * kFieldHeight));
    Click(Qt::LeftButton, 90, 120);
    EXPECT_EQ(Level()[0].Type, kTypeSteel);
}

// Over the bricks the field marks the cells' corners and, while the select tool drags a band,
// the band's frame.
TEST_F(EditorWindowTest, TheFieldMarksTheCellsAndTheBandBeingDragged) {
    FieldCanvas* canvas = window_->Canvas();
    const QImage bare = canvas->Picture();
    EXPECT_NE(bare.pixel(300, 300) & 0xffffffu, 0u) << "no mark at a cell's corner";
    canvas->SetTool(FieldCanvas::Tool::Select);
    Mouse(QEvent::MouseButtonPress, Qt::LeftButton, 100, 100);
    Mouse(QEvent::MouseMove, Qt::LeftButton, 200, 200);
    // Pixels along the band's top edge that differ from the field without it.
    const auto onTheBand = [&] {
        const QImage now = canvas->Picture();
        int differing = 0;
        for (int x = 101; x < 200; ++x)
            differing += now.pixel(x, 100) != bare.pixel(x, 100) ? 1 : 0;
        return differing;
    };
    EXPECT_GT(onTheBand(), 0) << "no band while dragging";
    Mouse(QEvent::MouseButtonRelease, Qt::LeftButton, 200, 200);
    EXPECT_EQ(onTheBand(), 0) << "the band stays";
}

TEST_F(EditorWindowTest, TheKeyboardPlacesAndRemovesBricksAtItsCursor) {
    FieldCanvas* canvas = window_->Canvas();
    const QPoint start = canvas->Cursor();
    QTest::keyClick(canvas, Qt::Key_Space);
    QTest::keyClick(canvas, Qt::Key_Right);
    QTest::keyClick(canvas, Qt::Key_Space);
    QTest::keyClick(canvas, Qt::Key_Up);
    QTest::keyClick(canvas, Qt::Key_Up);  // the top row is the last: the cursor stays
    EXPECT_EQ(canvas->Cursor(), start + QPoint(kCellWidth, -kCellHeight));
    ASSERT_EQ(Level().size(), 3u);
    EXPECT_EQ(Level()[0].X, start.x());
    EXPECT_EQ(Level()[1].X, start.x() + kCellWidth);
    QTest::keyClick(canvas, Qt::Key_Down);
    QTest::keyClick(canvas, Qt::Key_Backspace);
    EXPECT_EQ(Level().size(), 2u);
    Undo(3);  // each key one step
    EXPECT_EQ(Level().size(), 1u);
    EXPECT_FALSE(window_->Session().CanUndo());
}

TEST_F(EditorWindowTest, SelectedBricksMoveCopyAndGoAsOneUndoStepEach) {
    Click(Qt::LeftButton, 5, 30);  // (0, 25) beside the new set's (200, 225)
    window_->Canvas()->SetTool(FieldCanvas::Tool::Select);
    // A rubber band over both, then a drag of one of them by two cells right and one down.
    Drag(Qt::LeftButton, {1, 26}, {215, 240});
    ASSERT_EQ(window_->Session().Selection().size(), 2u);
    Drag(Qt::LeftButton, {205, 230}, {245, 255});
    ASSERT_EQ(Level().size(), 2u);
    EXPECT_EQ(QPoint(Level()[0].X, Level()[0].Y), QPoint(40, 50));
    EXPECT_EQ(Level()[1].X, 240);
    window_->CopySelection();
    window_->PasteAt(40, 300);
    EXPECT_EQ(Level().size(), 4u);
    window_->DeleteSelection();
    EXPECT_EQ(Level().size(), 2u);
    Undo(3);
    EXPECT_EQ(Level()[0].X, 0);
    EXPECT_EQ(Level()[1].X, 200);
}

TEST_F(EditorWindowTest, LevelsAreAddedDuplicatedReorderedAndDeleted) {
    window_->DuplicateLevel();
    Click(Qt::LeftButton, 5, 30);
    ASSERT_EQ(window_->Session().Set().Levels.size(), 2u);
    EXPECT_EQ(window_->Session().Current(), 1u);
    EXPECT_EQ(Level().size(), 2u);
    window_->MoveCurrentLevel(-1);
    EXPECT_EQ(window_->Session().Current(), 0u);
    EXPECT_EQ(window_->Session().Set().Levels[0].size(), 2u);
    EXPECT_EQ(window_->LevelList()->count(), 2);
    window_->AddLevel();
    EXPECT_EQ(window_->Session().Set().Levels.size(), 3u);
    EXPECT_TRUE(AnyRefused(window_->Session().Check().First()));  // the new level has no brick yet
    window_->DeleteLevel();
    EXPECT_FALSE(AnyRefused(window_->Session().Check().First()));
    // Dragging the first level below the second in the list moves it there, once the drop ends.
    ASSERT_TRUE(window_->LevelList()->model()->moveRows(QModelIndex(), 0, 1, QModelIndex(), 2));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return window_->Session().Set().Levels[1].size() == 2u; }, 10000));
    EXPECT_EQ(window_->Session().Current(), 1u);
    EXPECT_EQ(window_->LevelList()->count(), 2);
    Undo(4);
    EXPECT_EQ(window_->Session().Set().Levels[1].size(), 2u);
}

// How titles go along with each level operation is EditorLevelSet's, how they are saved and read
// again EditorFiles'; here the window opens them, lists them, edits one as an undo step and saves.
TEST_F(EditorWindowTest, TitlesAreOpenedListedEditedAndSaved) {
    ZapModule::testing::WriteText(folder_ / "titled.txt",
                                  "level Alfa\nbrick 0 0 1 0 0 0\nlevel Beta\nbrick 0 0 2 0 0 0\n");
    ASSERT_TRUE(window_->Open(Path("titled.txt")));
    const LevelSet opened = window_->Session().Set();
    using Titles = std::vector<std::string>;
    EXPECT_EQ(opened.Titles, (Titles{"Alfa", "Beta"}));
    window_->DuplicateLevel();  // Alfa Alfa Beta, the copy chosen
    EXPECT_EQ(window_->LevelList()->item(1)->text(),
              QString::fromUtf8("2. \u2068Alfa\u2069 (1 cihla)"));
    // A word from '#' on would start a comment in the text: such a title is refused whole.
    EXPECT_FALSE(window_->SetLevelTitle("Gama #2"));
    EXPECT_NE(window_->LastMessage.indexOf(QString::fromUtf8("nezachoval")), -1);
    EXPECT_TRUE(window_->SetLevelTitle("\u202EGama"));  // a right-to-left override turns it alone
    EXPECT_EQ(window_->Session().Set().Titles, (Titles{"Alfa", "\u202EGama", "Beta"}));
    EXPECT_EQ(window_->LevelList()->item(1)->text(),
              QString::fromUtf8("2. \u2068\u202EGama\u2069 (1 cihla)"));

    window_->QuietAnswer = true;
    ASSERT_TRUE(window_->SaveAs(Path("titled.txt")));
    EditorWindow other(sprites_, PortableLayout(kBuild, kBuild + "/data"));
    other.QuietMessages = true;
    ASSERT_TRUE(other.Open(Path("titled.txt")));
    EXPECT_EQ(other.Session().Set(), window_->Session().Set());
    Undo(2);
    EXPECT_EQ(window_->Session().Set(), opened);
}

// That the saved text compiles to the saved levels.ko is EditorFiles'; here a save leaves the
// window clean, its levels.ko opens as the same set, and a second editor's save of the same set is
// not overwritten unasked.
TEST_F(EditorWindowTest, ASavedSetOpensAgainAndAnotherEditorsSaveIsKeptUnlessTheAuthorInsists) {
    Click(Qt::LeftButton, 5, 30);
    Click(Qt::LeftButton, 25, 30);
    ASSERT_TRUE(window_->SaveAs(Path("mine.txt")));
    EXPECT_FALSE(window_->Session().Changed());
    EditorWindow other(sprites_, PortableLayout(kBuild, kBuild + "/data"));
    other.QuietMessages = true;
    ASSERT_TRUE(other.Open(Path("mine.ko")));
    EXPECT_EQ(other.Session().Set(), window_->Session().Set());

    ASSERT_TRUE(other.Open(Path("mine.txt")));
    other.DuplicateLevel();
    ASSERT_TRUE(other.SaveAs(Path("mine.txt")));
    const std::vector<uint8_t> othersSave = ReadBytes(folder_ / "mine.ko");
    Click(Qt::LeftButton, 45, 30);
    EXPECT_FALSE(window_->SaveAs(Path("mine.txt")));
    EXPECT_NE(window_->LastMessage.indexOf(QString::fromUtf8("jiný program")), -1);
    EXPECT_EQ(ReadBytes(folder_ / "mine.ko"), othersSave);
    window_->QuietAnswer = true;
    EXPECT_TRUE(window_->SaveAs(Path("mine.txt")));
    EXPECT_NE(ReadBytes(folder_ / "mine.ko"), othersSave);
}

// What the game would refuse is shown and never saved; a damaged file is refused and the open set
// stays.
TEST_F(EditorWindowTest, WhatTheGameWouldRefuseIsNeverSavedAndADamagedFileNeverOpened) {
    ASSERT_TRUE(window_->SaveAs(Path("set.txt")));
    const std::vector<uint8_t> saved = ReadBytes(folder_ / "set.ko");
    // Erasing the only brick leaves a level the game refuses.
    Click(Qt::RightButton, 205, 230);
    ASSERT_TRUE(AnyRefused(window_->Session().Check().First()));
    EXPECT_FALSE(window_->SaveAs(Path("set.txt")));
    EXPECT_NE(window_->LastMessage.indexOf(QString::fromUtf8("hra by ji odmítla")), -1);
    EXPECT_EQ(ReadBytes(folder_ / "set.ko"), saved);
    // A brick off the field is played, but not as meant: saved only when the author insists.
    window_->Undo();
    Click(Qt::LeftButton, 490, 2, Qt::ShiftModifier);
    ASSERT_FALSE(window_->Session().Check().First().empty());
    EXPECT_FALSE(AnyRefused(window_->Session().Check().First()));
    EXPECT_FALSE(window_->SaveAs(Path("set.txt")));
    EXPECT_EQ(ReadBytes(folder_ / "set.ko"), saved);
    window_->QuietAnswer = true;
    EXPECT_TRUE(window_->SaveAs(Path("set.txt")));
    EXPECT_NE(ReadBytes(folder_ / "set.ko"), saved);

    const LevelSet before = window_->Session().Set();
    ZapModule::testing::WriteBytes(folder_ / "bad.ko", {5, 0, 1});
    EXPECT_FALSE(window_->Open(Path("bad.ko")));
    EXPECT_NE(window_->LastMessage.indexOf("bad.ko"), -1);
    EXPECT_EQ(window_->Session().Set(), before);
    EXPECT_EQ(ReadBytes(folder_ / "bad.ko"), (std::vector<uint8_t>{5, 0, 1}));
}

TEST_F(EditorWindowTest, ASetIsPublishedToAHallServerByItsAddressAndARefusedOneIsNotSent) {
    QProcess hall;
    hall.start(QString::fromStdString(kBuild + "/zapwall-hall-server"),
               {"--port", "0", "--sqlite", Path("hall.sqlite")});
    ASSERT_TRUE(hall.waitForReadyRead(60000)) << hall.errorString().toStdString();
    const std::string server =
        QRegularExpression("http://[^/]*").match(hall.readLine()).captured(0).toStdString();
    ASSERT_FALSE(server.empty());
    Click(Qt::RightButton, 205, 230);  // the only brick: a level the game refuses
    EXPECT_FALSE(window_->Publish(server, "Moje", "Ada"));
    EXPECT_NE(window_->LastMessage.indexOf(QString::fromUtf8("hra by ji odmítla")), -1);
    window_->Undo();
    const std::vector<uint8_t> ko = EncodeLevelSet(window_->Session().Set());
    const QByteArray address =
        QCryptographicHash::hash(QByteArrayView(ko), QCryptographicHash::Sha256).toHex();
    for (const char* told : {"Sada je zveřejněna", "Sada už byla zveřejněna"}) {
        window_->LastMessage.clear();
        ASSERT_TRUE(window_->Publish(server, "Moje", "Ada"));
        ASSERT_TRUE(QTest::qWaitFor([&] { return !window_->LastMessage.isEmpty(); }, 60000));
        EXPECT_TRUE(window_->LastMessage.startsWith(QString::fromUtf8(told)))
            << window_->LastMessage.toStdString();
        EXPECT_TRUE(window_->LastMessage.endsWith(QString::fromStdString(server) +
                                                  "/api/level-sets/" + address));
    }
    hall.kill();
    hall.waitForFinished();
}

TEST_F(EditorWindowTest, TestPlayRunsTheGameOnAThrowAwayCopyWithTheEditedLevel) {
    Click(Qt::LeftButton, 5, 30);
    ASSERT_TRUE(window_->TestPlayLevel());
    TestPlay* play = window_->Play();
    const QString folder = play->Folder();
    // The copy holds the edited level alone and one new player; the game takes its lock there.
    EXPECT_EQ(ReadBytes((folder + "/data/levels.ko").toStdString()),
              EncodeLevelSet({{Level()}, {""}, {}}));
    const RosterRead roster = ParseRoster(ReadBytes((folder + "/data/players.ko").toStdString()));
    ASSERT_EQ(roster.Players.size(), 1u);
    EXPECT_EQ(QString::fromStdString(roster.Players[0].Name), TestPlayerName());
    EXPECT_FALSE(QFile::exists(folder + "/data/hall.ko"));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return QFile::exists(folder + "/data/zapwall.lock"); }, 60000));
    EXPECT_FALSE(window_->TestPlayLevel());  // one at a time
    bool finished = false;
    play->OnFinished = [&] { finished = true; };
    play->Process()->terminate();
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished; }, 60000));
    EXPECT_FALSE(QDir(folder).exists());
}

}  // namespace
