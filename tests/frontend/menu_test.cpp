// SPDX-License-Identifier: GPL-3.0-or-later
// The menu Form2 and its player panel, driven with Qt's mouse and key events.

#include <gmock/gmock.h>

#include <QApplication>
#include <QCheckBox>
#include <QFontInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>
#include <algorithm>
#include <functional>

#include "frontend/look.h"
#include "ports/window_port.h"
#include "storage/tick.h"
#include "tests/frontend/program_fixture.h"

namespace ZapModule {
namespace {

using MenuTest = ProgramTest;

PlayerRecord Player(const std::string& name, int32_t level = 0, int16_t balls = 3, int32_t iq = 0) {
    return PlayerRecord{name, iq, level, balls};
}

// How many windows of a kind exist, shown or not.
template <class Window>
int Built() {
    const QWidgetList windows = QApplication::topLevelWidgets();
    return static_cast<int>(std::count_if(windows.begin(), windows.end(), [](QWidget* window) {
        return dynamic_cast<Window*>(window) != nullptr;
    }));
}

// The texts of a menu's actions, without their shortcuts.
QStringList ActionTexts(const QMenu* menu) {
    QStringList texts;
    for (const QAction* action : menu->actions()) texts << action->text().section('\t', 0, 0);
    return texts;
}

// Types text key by key, letters beyond ASCII included.
void Type(QWidget* widget, const QString& text) {
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(widget, &release);
    }
}

// What Start does is tested without windows (tests/shell), the speed it takes from the bar by
// TheSpeedBarsKeysAndThumbReachTheTickLabel; here a press of any button reaches it with the chosen
// row and the sound switch, and the game screen, built only now, shows the player and the line the
// rules give it.
TEST_F(MenuTest, StartsOnAPressOfAnyButtonOnlyWithASelectedPlayer) {
    WriteDataFile(kRosterFile, SerializeRoster({Player("vEx", 13, 4, 120), Player("Bob")}));
    Launch();
    EXPECT_EQ(Built<GameScreen>(), 0);
    EXPECT_EQ(Built<HallWindow>(), 0);
    App().ShowMenu();
    EXPECT_EQ(Menu().focusWidget(), Menu().Players().List());
    EXPECT_EQ(Menu().Players().SelectedRow(), -1);
    QTest::mousePress(Menu().MenuItem(MenuWindow::kStart), Qt::LeftButton);
    EXPECT_TRUE(Menu().isVisible()) << "Start without a selected player does nothing";

    Menu().Players().List()->setCurrentRow(0);
    Menu().SoundSwitch()->setChecked(false);
    QTest::mousePress(Menu().MenuItem(MenuWindow::kStart), Qt::RightButton);
    EXPECT_EQ(Built<GameScreen>(), 1);
    EXPECT_EQ(Built<HallWindow>(), 0);
    EXPECT_TRUE(Screen().isVisible());
    EXPECT_FALSE(Menu().isVisible());
    EXPECT_EQ(Screen().Label1(3)->text(), "vEx");
    EXPECT_EQ(Screen().Label3(1)->text(), QString::fromUtf8("Zase někdo používá moje jméno..."));
    EXPECT_EQ(Screen().Background().size(), GameScreen::kDesign) << "the picture start-up loaded";
    EXPECT_TRUE(sound_->Calls.empty());
    EXPECT_TRUE(exits_.empty());
}

TEST_F(MenuTest, HoverKeepsTheLastItemTouchedYellow) {
    LaunchWithPlayers({});
    for (int n = 0; n < 3; ++n) EXPECT_EQ(Menu().ItemFrameColour(n), QColor(128, 128, 128));
    QTest::mouseMove(Menu().MenuItem(MenuWindow::kStart), {10, 5});
    EXPECT_EQ(Menu().ItemFrameColour(MenuWindow::kStart), QColor(255, 255, 0));
    QTest::mouseMove(Menu().MenuItem(MenuWindow::kExit), {10, 5});
    EXPECT_EQ(Menu().ItemFrameColour(MenuWindow::kStart), QColor(120, 120, 120));
    EXPECT_EQ(Menu().ItemFrameColour(MenuWindow::kExit), QColor(255, 255, 0));
    QTest::mouseMove(Menu().Frame(), {5, 300});
    EXPECT_EQ(Menu().ItemFrameColour(MenuWindow::kExit), QColor(255, 255, 0));
}

// The bar starts at tick.ko's speed; its keys (Right and Down add), page steps, ends and a dragged
// thumb reach the rules and their label, within the setting's range.
TEST_F(MenuTest, TheSpeedBarsKeysAndThumbReachTheTickLabel) {
    WriteDataFile(kTickFile, FormatTick(9998));
    LaunchWithPlayers({});
    QScrollBar* bar = Menu().TickBar();
    EXPECT_EQ(Menu().TickLabel()->text(), "Tick: 9998");
    const struct {
        Qt::Key Key;
        const char* Shown;
    } presses[] = {{Qt::Key_Right, "Tick: 9999"},     {Qt::Key_Down, "Tick: 10000"},
                   {Qt::Key_PageDown, "Tick: 10000"}, {Qt::Key_Left, "Tick: 9999"},
                   {Qt::Key_Up, "Tick: 9998"},        {Qt::Key_PageUp, "Tick: 9993"},
                   {Qt::Key_Home, "Tick: 1"},         {Qt::Key_Left, "Tick: 1"},
                   {Qt::Key_PageDown, "Tick: 6"},     {Qt::Key_End, "Tick: 10000"}};
    for (const auto& press : presses) {
        QTest::keyClick(bar, press.Key);
        EXPECT_EQ(Menu().TickLabel()->text(), press.Shown) << "after key " << press.Key;
    }
    bar->setSliderDown(true);
    bar->setSliderPosition(5000);  // the thumb dragged
    EXPECT_EQ(Menu().TickLabel()->text(), "Tick: 5000");
    EXPECT_EQ(Menu().TickSetting(), 5000);
}

// Tab goes round the controls and the menu's items in order. The focused control, and only that
// one, is outlined in yellow (the mark goes around the controls: nothing moves); a focused item
// is framed in yellow, as the pointer frames it.
TEST_F(MenuTest, TabGoesRoundInOrderAndOnlyTheFocusedControlIsMarkedInYellow) {
    LaunchWithPlayers({Player("Ann"), Player("Bob")});
    Menu().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Menu()));
    // The controls, each at its place, then the menu's items: Tab goes round them in this order.
    const std::vector<QWidget*> ring{Menu().Players().List(),
                                     Menu().Players().NameBox(),
                                     Menu().Story(),
                                     Menu().TickBar(),
                                     Menu().SoundSwitch(),
                                     Menu().MenuItem(MenuWindow::kStart),
                                     Menu().MenuItem(MenuWindow::kHallOfFame),
                                     Menu().MenuItem(MenuWindow::kExit)};
    const std::vector<QRect> places{{8, 32, 97, 134},
                                    {8, 200, 97, 19},
                                    {8, 240, 521, 81},
                                    {120, 200, 105, 17},
                                    {120, 168, 105, 17}};
    ring[0]->setFocus(Qt::TabFocusReason);
    for (size_t step = 1; step <= ring.size(); ++step) {
        QWidget* focused = Menu().focusWidget();
        const QImage panel = Menu().Frame()->grab().toImage();
        for (size_t i = 0; i < places.size(); ++i) {
            // The pixel just left of the control, halfway down.
            const QPoint beside(places[i].left() - 1, places[i].center().y());
            EXPECT_EQ(panel.pixelColor(beside),
                      ring[i] == focused ? QColor(255, 255, 0) : Qt::black)
                << "control " << i << " with " << focused->metaObject()->className() << " focused";
            EXPECT_EQ(ring[i]->geometry(), places[i]);
        }
        QTest::keyClick(focused, Qt::Key_Tab);
        const size_t next = step % ring.size();
        EXPECT_EQ(Menu().focusWidget(), ring[next]);
        if (next >= places.size()) {
            EXPECT_EQ(Menu().ItemFrameColour(static_cast<int>(next - places.size())), Qt::yellow);
        }
    }
    // The focused list with no player chosen shows no line as chosen: its first line has only
    // the list's grey and the names' red, no highlight.
    ASSERT_EQ(Menu().Players().List()->selectedItems().size(), 0);
    const QListWidget* list = Menu().Players().List();
    const QImage lines = list->viewport()->grab().toImage();
    const QRect first = list->visualItemRect(list->item(0));
    int highlighted = 0;
    for (int y = first.top(); y <= first.bottom(); ++y)
        for (int x = first.left(); x <= first.right(); ++x)
            if (lines.pixelColor(x, y).blue() > 64 || lines.pixelColor(x, y).green() > 64)
                ++highlighted;
    EXPECT_EQ(highlighted, 0);
}

// Qt's own texts are Czech: one translation of Qt's holds them all, so the name box's menu stands
// for the texts of every Qt widget the windows show.
TEST_F(MenuTest, QtsOwnTextsAreCzech) {
    LaunchWithPlayers({});
    const std::unique_ptr<QMenu> nameMenu(Menu().Players().NameBox()->createStandardContextMenu());
    EXPECT_THAT(ActionTexts(nameMenu.get()), ::testing::Contains(QString::fromUtf8("&Vložit")));
}

// How far below the top of the box's viewport the last line of its text ends, the final line
// break left out, as the shown box lays it out.
int LastLineBottom(QPlainTextEdit* box) {
    QTextCursor end(box->document());
    end.movePosition(QTextCursor::End);
    if (box->toPlainText().endsWith('\n')) end.movePosition(QTextCursor::PreviousCharacter);
    return box->cursorRect(end).bottom();
}

// The story keeps its line breaks and is seen whole in whatever font stands in for the designed
// one: a fallback wider than Liberation Sans Narrow gets a smaller size, the designed font keeps
// its size.
TEST_F(MenuTest, TheWholeStoryShowsWithItsLineBreaksWithoutScrolling) {
    LaunchWithPlayers({});
    QPlainTextEdit* story = Menu().Story();
    const QStringList lines = story->toPlainText().split('\n');
    ASSERT_EQ(lines.size(), 4);  // three lines, each ended by its line break
    EXPECT_TRUE(lines[0].endsWith(QString::fromUtf8("společností, které ")));
    EXPECT_TRUE(lines[1].startsWith("se nemohou"));
    EXPECT_TRUE(lines[2].endsWith("nebudou vymýceny..."));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Menu()));
    QCoreApplication::processEvents();
    EXPECT_LT(LastLineBottom(story), story->viewport()->height());
    if (QFontInfo(DialogFont()).family() == "Liberation Sans Narrow") {
        EXPECT_EQ(story->font().pointSizeF(), Menu().font().pointSizeF());
    }
}

TEST(FitTextToBoxTest, ShrinksOnlyATextThatWouldRunPastTheBottom) {
    QPlainTextEdit box;
    box.setGeometry(0, 0, 521, 81);
    box.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    box.setFont(DialogFont());
    box.setPlainText("Krátký příběh.\n");
    FitTextToBox(&box);
    EXPECT_EQ(box.font().pointSizeF(), 8);

    // Three times the menu's story cannot fit at 8 points in any font.
    const QString line = QString::fromUtf8(
        "Do systému supertajného stroje se dostaly viry. Obranný článek musí být řízen "
        "manuálně. ");
    box.setPlainText(line.repeated(6) + "\n" + line.repeated(6) + "\n");
    FitTextToBox(&box);
    const qreal fitted = box.font().pointSizeF();
    EXPECT_LT(fitted, 8);
    EXPECT_GE(fitted, 4);
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    EXPECT_LT(LastLineBottom(&box), box.viewport()->height());
    // A quarter point more, and the last line runs past the bottom: the size is the largest.
    QFont larger = box.font();
    larger.setPointSizeF(fitted + 0.25);
    box.setFont(larger);
    EXPECT_GE(LastLineBottom(&box), box.viewport()->height());
}

TEST_F(MenuTest, CreatesPlayersWithEnterAndShowsTheSelectedOne) {
    LaunchWithPlayers({Player("Ann", 4, 2, 77)});
    QLineEdit* box = Menu().Players().NameBox();
    Type(box, QString::fromUtf8("Žluťoučký"));
    EXPECT_EQ(box->text(), QString::fromUtf8("Žluťoučk")) << "a ninth character cannot be typed";
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_TRUE(box->text().isEmpty());
    ASSERT_EQ(State().Players.size(), 2u);
    EXPECT_EQ(State().Players[1].Name, "Žluťoučk");
    EXPECT_EQ(Menu().Players().SelectedRow(), 1);
    EXPECT_EQ(Menu().Players().NameLabel()->text(), QString::fromUtf8("Žluťoučk"));
    EXPECT_EQ(Menu().Players().Statistic(1)->text(), "Balls: 3");
    QTest::keyClick(box, Qt::Key_Enter);  // the keypad's Enter too
    ASSERT_EQ(Menu().Players().List()->count(), 3);
    Menu().Players().List()->setCurrentRow(0);
    EXPECT_EQ(Menu().Players().Statistic(0)->text(), "Level: 5");
    EXPECT_EQ(Menu().Players().Statistic(2)->text(), "IQ: 77");
    QTest::keyClick(Menu().Players().List(), Qt::Key_Down);  // keys select, too
    EXPECT_EQ(Menu().Players().NameLabel()->text(), QString::fromUtf8("Žluťoučk"));

    // A character the roster file cannot store is refused rather than changed on saving.
    Type(box, QString::fromUtf8("A€字"));
    EXPECT_EQ(box->text(), QString::fromUtf8("A€"));
}

TEST_F(MenuTest, OnlyCreatingAndDeletingClearTheSelection) {
    LaunchWithPlayers({Player("<u>Ann"), Player("Bob")});
    QListWidget* list = Menu().Players().List();
    // With nothing selected, the first arrow key selects the first line.
    QTest::keyClick(list, Qt::Key_Down);
    EXPECT_EQ(Menu().Players().SelectedRow(), 0);
    // The name is shown as typed, not as markup.
    EXPECT_EQ(Menu().Players().NameLabel()->text(), "<u>Ann");
    EXPECT_EQ(Menu().Players().NameLabel()->textFormat(), Qt::PlainText);
    // A press below the last line, and a Ctrl+click, keep a line selected.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(40, 120));
    EXPECT_EQ(Menu().Players().SelectedRow(), 0);
    const QPoint second = list->visualItemRect(list->item(1)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier, second);
    EXPECT_EQ(Menu().Players().SelectedRow(), 1);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier, second);
    EXPECT_EQ(Menu().Players().SelectedRow(), 1);
}

// The question and what deletion leaves are PlayerPanelRulesTest's; here Delete asks through the
// window and only a yes takes the line away.
TEST_F(MenuTest, DeletesOnlyAfterYes) {
    LaunchWithPlayers({Player("Ann", 1), Player("Bob", 2), Player("Cid", 3)});
    QListWidget* list = Menu().Players().List();
    messages_.clear();
    QTest::keyClick(list, Qt::Key_Delete);
    EXPECT_TRUE(messages_.empty()) << "no selected line, no question";

    list->setCurrentRow(0);
    Answer = MessageAnswer::No;
    QTest::keyClick(list, Qt::Key_Delete);
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0].Text, "Tímto odstraníte hráče Ann! Opravdu to chcete??");
    EXPECT_EQ(messages_[0].Title, "POZOR!");
    EXPECT_EQ(messages_[0].Buttons, MessageButtons::YesNo);
    EXPECT_EQ(list->count(), 3);
    EXPECT_EQ(Menu().Players().SelectedRow(), 0);

    Answer = MessageAnswer::Yes;
    QTest::keyClick(list, Qt::Key_Delete);
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(0)->text(), "Bob");
    EXPECT_EQ(Menu().Players().SelectedRow(), -1);
    EXPECT_EQ(Menu().Players().NameLabel()->text(), QString::fromUtf8("Hráč"));
}

// The hidden names' rules are tested without windows (tests/shell); here the presses reach them.
TEST_F(MenuTest, TheLevelStatisticAndTheNameLabelReachTheHiddenNames) {
    LaunchWithPlayers({Player("*QUORN*"), Player("zul_k")});
    ActiveLabel* level = Menu().Players().Statistic(0);
    Menu().Players().List()->setCurrentRow(0);
    for (int i = 0; i < 3; ++i) QTest::mousePress(level, Qt::LeftButton);
    QTest::mousePress(level, Qt::MiddleButton);
    EXPECT_EQ(level->text(), "Level: 4") << "a middle press edits nothing";
    QTest::mousePress(level, Qt::RightButton);
    EXPECT_EQ(level->text(), "Level: 3");

    Menu().Players().List()->setCurrentRow(1);
    QTest::mouseClick(Menu().Players().NameLabel(), Qt::LeftButton);
    const std::vector<std::string> tune{"ExtraSelect", "ExtraStart"};
    EXPECT_EQ(sound_->Calls, tune);
}

// The menu's commands from the mouse and the keyboard: a press, or Enter or Space on a focused
// item, runs it (a key held from before does not); the hall of fame opens modally and closes back
// to the menu; Enter in the player list starts with the selected player.
TEST_F(MenuTest, CommandsRunFromTheMouseAndTheKeyboard) {
    LaunchWithPlayers({Player("Ann")});
    ActiveLabel* hall = Menu().MenuItem(MenuWindow::kHallOfFame);
    const auto opensTheHall = [&](const std::function<void()>& command) {
        command();
        const bool opened = Hall().isVisible() && Hall().isModal();
        QTest::mouseClick(Hall().CloseLabel(), Qt::LeftButton);
        return opened && !Hall().isVisible() && Menu().isVisible();
    };
    EXPECT_TRUE(opensTheHall([&] { QTest::mousePress(hall, Qt::LeftButton); }));
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space}) {
        hall->setFocus(Qt::TabFocusReason);
        EXPECT_TRUE(opensTheHall([&] { QTest::keyClick(hall, key); })) << key;
    }
    QKeyEvent held(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, {}, true);
    QCoreApplication::sendEvent(Menu().MenuItem(MenuWindow::kExit), &held);
    EXPECT_TRUE(exits_.empty());

    QListWidget* list = Menu().Players().List();
    list->setCurrentRow(0);
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_FALSE(Menu().isVisible());
    EXPECT_EQ(State().CurrentPlayer, 0);
}

}  // namespace
}  // namespace ZapModule
