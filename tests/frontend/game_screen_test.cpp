// SPDX-License-Identifier: GPL-3.0-or-later
// The game screen Form1 with its loop and its field, and the ends of a run as the windows reach
// them: quit, game over, either window closed first, a refused data folder and a settings file
// that is no file (what each end keeps is tested without windows in tests/shell). The field on
// scaled screens is screen_scale_test.cpp's.

#include <sys/stat.h>

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <algorithm>

#include "game/input.h"
#include "graphics/sprites.h"
#include "tests/frontend/program_fixture.h"

namespace ZapModule {
namespace {

class GameScreenTest : public ProgramTest {
  protected:
    // A game of the player "Ann" (level 3, 2 spare balls, IQ 50) on the game screen.
    void StartGame(int16_t tick = 8000) { ProgramTest::StartGame(tick, {"Ann", 50, 3, 2}); }
    void PressOnScreen(QPointF at, Qt::MouseButton button = Qt::LeftButton) {
        QMouseEvent press(QEvent::MouseButtonPress, at, Screen().mapToGlobal(at), button, button,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(&Screen(), &press);
    }
    int Interval() { return App().Timer1().Interval(); }
    // How many lines of the one replay the game wrote end with `input`.
    qsizetype ReplayLinesEndingWith(const char* input) {
        return QString::fromStdString(KeptReplay()).count(QString(input) + '\n');
    }
};

// What the window adds to the rules' keys (tests/game has the rules): the Qt keys reach them
// with their codes, the labels show what they write, a release marked as repeated is none, every
// repeated press of P counts, and a sign over the field shows the pause.
TEST_F(GameScreenTest, KeysReachTheRulesAndASignShowsThePause) {
    StartGame();
    PressKey(Qt::Key_Space);
    EXPECT_EQ(Interval(), 1);
    EXPECT_EQ(Screen().Label1(0)->text() + Screen().Label1(1)->text() + Screen().Label1(2)->text(),
              "2504");
    PressKey(Qt::Key_Up);
    PressKey(Qt::Key_Down);
    EXPECT_EQ(State().MovingUp, kTrue);
    EXPECT_EQ(State().MovingDown, kTrue);
    QKeyEvent repeatedRelease(QEvent::KeyRelease, Qt::Key_Up, Qt::NoModifier, QString(), true);
    QCoreApplication::sendEvent(Screen().Field(), &repeatedRelease);
    EXPECT_EQ(State().MovingUp, kTrue);
    ReleaseKey(Qt::Key_Up);
    ReleaseKey(Qt::Key_Down);
    ASSERT_TRUE(
        RunUntil([&] { return State().MovingUp == kFalse && State().MovingDown == kFalse; }));
    // Keys the game does not know do nothing, '&' and '(' included (codes 38 and 40 elsewhere).
    PressKey(Qt::Key_Ampersand);
    PressKey(Qt::Key_ParenLeft);
    EXPECT_EQ(State().MovingUp | State().MovingDown, kFalse);

    const auto signShown = [this] {
        return std::ranges::any_of(Screen().Field()->findChildren<QLabel*>(), [](QLabel* l) {
            return l->isVisibleTo(l->window()) && l->text() == "Pauza";
        });
    };
    QKeyEvent repeatedP(QEvent::KeyPress, Qt::Key_P, Qt::NoModifier, "p", true);
    PressKey(Qt::Key_P);
    EXPECT_EQ(State().Paused, kTrue);
    EXPECT_TRUE(signShown());
    QCoreApplication::sendEvent(Screen().Field(), &repeatedP);
    EXPECT_EQ(State().Paused, kFalse);
    EXPECT_FALSE(signShown());
}

// After every step the window shows exactly the surface the step drew (although a refresh copies
// only what can have changed).
using FieldViewTest = ProgramTest;
TEST_F(FieldViewTest, TheWindowShowsTheWholeSurfaceAfterEveryStep) {
    StartGame(100);
    ASSERT_EQ(Screen().devicePixelRatioF(), 1.0);
    const auto differing = [this] { return FieldPixelsDiffering(QtCopy(), FieldOrigin()); };
    int steps = 0, wrongSteps = 0;
    App().Timer1().OnStep = [&](StepClock::time_point) {
        PlayTheFieldScenario(steps++);  // the bat, the ball, the movers and the explosions move
        if (differing() != 0) ++wrongSteps;
    };
    ReleaseTheBall();
    ASSERT_TRUE(RunUntil([&] { return steps >= 300 && !App().Timer1().Running(); }));
    EXPECT_EQ(wrongSteps, 0) << "of " << steps << " steps";
    // The level switch shows the black field with the messages.
    ASSERT_TRUE(Screen().Label3(0)->isVisible());
    EXPECT_EQ(differing(), 0);
}

// A key event as the window system gives it, with its timestamp.
void SendKey(QWidget* field, QEvent::Type type, Qt::Key key, unsigned long time) {
    QKeyEvent event(type, key, Qt::NoModifier);
    event.setTimestamp(time);
    QCoreApplication::sendEvent(field, &event);
}

TEST_F(GameScreenTest, X11RepeatsOfAHeldArrowNeverReachTheRulesNorTheReplay) {
    StartGame();
    HeldKeys& keys = Screen().Field()->Keys();
    QWidget* field = Screen().Field();
    SendKey(field, QEvent::KeyPress, Qt::Key_Down, 1000);
    // X11's repeat: a release and a press with one timestamp, neither marked as a repeat.
    for (unsigned long time = 1660; time < 2000; time += 40) {
        SendKey(field, QEvent::KeyRelease, Qt::Key_Down, time);
        EXPECT_EQ(State().MovingDown, kTrue);
        SendKey(field, QEvent::KeyPress, Qt::Key_Down, time);
        EXPECT_FALSE(keys.Waiting());
    }
    PressKey(Qt::Key_Space);
    // In play (the checks run between steps, where the loop delivers events):
    int phase = 0;
    int16_t bat = 0;
    bool quitting = false;
    // A machine that stalls for longer than a release waits for its press lets the release go to
    // the rules as a real one, as it must; the key is then pressed again and the next step tries
    // again, until a step does fall between the two halves.
    int stalls = 0;
    unsigned long time = 2040;
    App().Timer1().OnStep = [&](StepClock::time_point) {
        if (quitting) return;
        switch (phase++) {
            case 0:  // a step falls between the two halves of a repeat
                SendKey(field, QEvent::KeyRelease, Qt::Key_Down, time);
                bat = State().BatTop;
                break;
            case 1:
                if (!keys.Waiting()) {
                    ++stalls;
                    SendKey(field, QEvent::KeyPress, Qt::Key_Down, time += 50);
                    time += 50;
                    phase = 0;
                    break;
                }
                // It still moved the bat.
                EXPECT_EQ(State().BatTop, bat + 3);
                SendKey(field, QEvent::KeyPress, Qt::Key_Down, time);
                // The real release comes alone and reaches the rules after a short wait.
                SendKey(field, QEvent::KeyRelease, Qt::Key_Down, time + 60);
                break;
            default:
                if (State().MovingDown == kTrue) break;
                // Released and pressed again: both count, in their order, before the key after.
                time += 1000;
                SendKey(field, QEvent::KeyPress, Qt::Key_Up, time);
                SendKey(field, QEvent::KeyRelease, Qt::Key_Up, time + 100);
                SendKey(field, QEvent::KeyPress, Qt::Key_Up, time + 150);
                EXPECT_EQ(State().MovingUp, kTrue);
                SendKey(field, QEvent::KeyRelease, Qt::Key_Up, time + 200);
                PressKey(Qt::Key_Space);
                EXPECT_EQ(State().MovingUp, kFalse);
                PressKey(Qt::Key_Escape);
                quitting = true;
        }
    };
    ASSERT_TRUE(RunUntil([&] { return App().Ended(); }));
    EXPECT_GT(phase, 2) << "the real release never reached the rules";

    // The replay holds one key down of Down and its one release (and one more of each for every
    // stall); Up went down twice.
    EXPECT_EQ(ReplayLinesEndingWith(" keydown 40"), 1 + 9 + 1 + stalls);
    EXPECT_EQ(ReplayLinesEndingWith(" keyup 40"), 1 + stalls);
    EXPECT_EQ(ReplayLinesEndingWith(" keydown 38"), 2);
    EXPECT_EQ(ReplayLinesEndingWith(" keyup 38"), 2);
}

// Where the buttons lie is InputTest's (tests/game); here a press reaches them, rounded.
TEST_F(GameScreenTest, ScreenButtonsTakeRoundedPositionsAndGiveTheFocusBack) {
    StartGame();
    PressOnScreen({569.4, 365});  // rounds to 569, left of the start button
    EXPECT_EQ(Interval(), 0);
    // 569.5 rounds to 570 (ties to even): inside the start button, with any mouse button.
    PressOnScreen({569.5, 365}, Qt::RightButton);
    EXPECT_EQ(Interval(), 1);
    EXPECT_EQ(State().ButtonDown[0], kTrue);
    EXPECT_EQ(Screen().focusWidget(), Screen().Field());
}

// The steps draw the start button pressed with its sprite; a pressed button lights its lamp and
// keeps its caption, and reloading the background shows the buttons unpressed again.
TEST_F(GameScreenTest, PressedButtonsLightTheirLampsUntilTheBackgroundIsReloaded) {
    StartGame();
    const QImage unpressed = Screen().Background().copy();
    PressKey(Qt::Key_Space);
    ASSERT_TRUE(RunUntil([&] { return State().Steps >= 3; }));
    PressKey(Qt::Key_P);
    ASSERT_TRUE(RunUntil([&] { return !App().Timer1().Running(); }));
    const Surface& sprite = State().Sprites[12].Pixels;
    const QPoint corner(570, 349);
    EXPECT_EQ(Screen().Background().pixel(corner) | kOpaqueBlack, sprite.Pixel(0, 0));
    EXPECT_EQ(Screen().Background().pixel(corner + QPoint(12, 16)) | kOpaqueBlack,
              sprite.Pixel(12, 16));
    Screen().DrawButtonPressed(1);
    const QImage pressed = Screen().Background().copy();
    for (const QRect& button : {QRect(570, 349, 81, 33), QRect(570, 412, 81, 33)}) {
        const QRect lamp(button.left() + 8, button.top() + 13, 8, 8);
        const QRect caption(button.left() + 22, button.top(), button.width() - 22, 33);
        EXPECT_NE(pressed.copy(lamp), unpressed.copy(lamp)) << "not shown pressed";
        EXPECT_EQ(pressed.copy(caption), unpressed.copy(caption)) << "the caption is covered";
    }
    Screen().ReloadBackground();
    EXPECT_EQ(Screen().Background(), unpressed);
}

// The loop runs from Qt's event loop, one step a call even at Tick 1: a key that arrives during a
// step counts for the next step, and a timer due between two steps fires.
TEST_F(GameScreenTest, EventsArrivingDuringAStepCountForTheNextStepEvenAtTickOne) {
    StartGame(1);
    int steps = 0;
    int16_t batBefore = 0, batAfter = 0;
    App().Timer1().OnStep = [&](StepClock::time_point) {
        ++steps;
        if (steps == 5) {
            batBefore = State().BatTop;
            // Queued like a key the player presses while the step runs.
            QCoreApplication::postEvent(
                Screen().Field(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier));
        }
        if (steps == 6) batAfter = State().BatTop;
        if (steps == 11) QTimer::singleShot(0, &Screen(), [this] { PressKey(Qt::Key_P); });
    };
    PressKey(Qt::Key_Space);
    ASSERT_TRUE(RunUntil([&] { return State().Paused == kTrue && !App().Timer1().Running(); }));
    EXPECT_GT(steps, 10);
    EXPECT_LT(batAfter, batBefore) << "the bat did not move up in the step after the key";
    EXPECT_TRUE(exits_.empty());
    EXPECT_EQ(Interval(), 1) << "a pause keeps the timer running";
}

// What the end keeps is the close handlers' (tests/shell ClosingTest), the sound's shut-down the
// loader's (tests/sound); here the countdown reaches the handler that stores the progress.
TEST_F(GameScreenTest, QuitCountdownEndsTheRunWithTheProgressStored) {
    StartGame(100);
    PressKey(Qt::Key_Space);
    State().Iq = 321;
    PressKey(Qt::Key_Escape);
    ASSERT_TRUE(RunUntil([&] { return !exits_.empty(); }));
    EXPECT_EQ(exits_, std::vector<int>{0});
    EXPECT_FALSE(App().Timer1().Running());
    EXPECT_FALSE(Screen().isVisible());
    EXPECT_EQ(StoredPlayers().at(0).Iq, 321);
    EXPECT_EQ(sound_->Calls.back(), "Close");
}

// What game over keeps is FlowTest's (tests/game); here its message and then the hall of fame are
// shown one after the other, and the run ends once both have closed.
TEST_F(GameScreenTest, GameOverShowsItsMessageThenTheHallAndEnds) {
    StartGame(100);
    PressKey(Qt::Key_Space);
    State().BallsLeft = 0;
    State().Iq = 850;
    State().Balls[0].Dead = kTrue;
    bool hallSeen = false;
    OnMessage = [&] {
        // The hall of fame follows the game-over message: close it the way a player would.
        if (messages_.back().Title != "SYSTEM FAILURE") return;
        QTimer::singleShot(0, &Hall(), [&] {
            hallSeen = Hall().isVisible() && Hall().NameLabel(2)->text() == "Ann";
            QTest::mouseClick(Hall().CloseLabel(), Qt::LeftButton);
        });
    };
    ASSERT_TRUE(RunUntil([&] { return !exits_.empty(); }));
    EXPECT_TRUE(hallSeen);
    EXPECT_EQ(exits_, std::vector<int>{0});
}

TEST_F(GameScreenTest, ClosingTheGameScreenInPlayStopsTheLoopAndEndsTheRunOnce) {
    StartGame();
    PressKey(Qt::Key_Space);
    ASSERT_TRUE(RunUntil([&] { return State().Steps >= 3; }));
    Screen().close();
    // That a stopped loop asks for no call and steps no more is GameLoopCoreTest's.
    ASSERT_TRUE(RunUntil([&] { return !exits_.empty() && !App().Timer1().Running(); }));
    EXPECT_EQ(exits_, std::vector<int>{0});
    EXPECT_FALSE(Menu().isVisible());
}

// What each close keeps, and that a second close ends nothing more, is tested without windows
// (tests/shell ClosingTest); here the menu's Exit reaches the handlers, which end the run once.
TEST_F(GameScreenTest, ClosingTheMenuFirstEndsTheRunOnce) {
    LaunchWithPlayers({PlayerRecord{"Ann", 50, 3, 2}});
    QTest::mousePress(Menu().MenuItem(MenuWindow::kExit), Qt::LeftButton);
    EXPECT_EQ(exits_, std::vector<int>{0});
    EXPECT_FALSE(Menu().isVisible());
}

// That a refused folder is said once and nothing is written is GameStartTest's (tests/shell).
TEST_F(GameScreenTest, ADamagedDataFolderIsRefusedAndNoWindowShows) {
    WriteDataFile("levels.ko", {0, 0});
    EXPECT_EQ(MakeProgram().Start(), std::optional<int>(1));
    EXPECT_TRUE(Said("levels.ko"));
    EXPECT_FALSE(Menu().isVisible());
}

// A FIFO as the settings file is read as no data file is: never waited on, never written.
TEST_F(GameScreenTest, AFifoAsTheSettingsFileNeitherHoldsUpTheStartNorIsWritten) {
    Program& program = MakeProgram();
    const std::string settings = (folder_ / "zapwall.conf").string();
    ASSERT_EQ(::mkfifo(settings.c_str(), 0600), 0);
    EXPECT_EQ(program.Start(), std::nullopt);
    ASSERT_TRUE(RunUntil([&] { return Menu().isVisible(); }));
    EXPECT_FALSE(program.Settings().FullScreen());
    program.Settings().SetFullScreen(true);
    EXPECT_TRUE(std::filesystem::is_fifo(settings));
}

}  // namespace
}  // namespace ZapModule
