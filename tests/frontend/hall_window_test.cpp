// The hall of fame window Form3: its table, colour cycle and closing.

#include "storage/hall.h"
#include "tests/frontend/program_fixture.h"

namespace ZapModule {
namespace {

using HallWindowTest = ProgramTest;

TEST_F(HallWindowTest, ShowsTheTableAndCyclesTheRowColours) {
    Launch();
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(Hall().NameLabel(i)->text(), "");
        EXPECT_EQ(Hall().ScoreLabel(i)->text(), QString::number(1000 - 100 * i));
    }

    std::vector<QColor> design;
    for (int i = 0; i < 10; ++i) design.push_back(Hall().NameLabel(i)->TextColour());
    Hall().AnimationStep();
    EXPECT_EQ(Hall().NameLabel(0)->TextColour(), QColor(192, 255, 192));
    EXPECT_EQ(Hall().ScoreLabel(0)->TextColour(), QColor(192, 255, 192));
    EXPECT_EQ(Hall().NameLabel(9)->TextColour(), QColor(255, 255, 255));
    for (int step = 1; step < 10; ++step) Hall().AnimationStep();
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(Hall().NameLabel(i)->TextColour(), design[i]);
        EXPECT_EQ(Hall().ScoreLabel(i)->TextColour(), design[i]);
        EXPECT_EQ(Hall().RankLabel(i)->TextColour(), QColor(0, 192, 0));
    }

    State().Hall[0] = HallEntry{"Eva", 1200};
    App().Port().HallOfFameChanged();
    EXPECT_EQ(Hall().NameLabel(0)->text(), "Eva");
    EXPECT_EQ(Hall().ScoreLabel(0)->text(), "1200");
}

TEST_F(HallWindowTest, EscapeDoesNotCloseIt) {
    Launch();
    bool stillOpen = false;
    QTimer::singleShot(50, [&] {
        QTest::keyClick(&Hall(), Qt::Key_Escape);
        stillOpen = Hall().isVisible();
        QTest::mouseClick(Hall().CloseLabel(), Qt::LeftButton);
    });
    Hall().Open();
    EXPECT_TRUE(stillOpen);
    EXPECT_FALSE(Hall().isVisible());
}

TEST_F(HallWindowTest, ClosingKeepsTheTableAndTheCycleGoesOnWhereItStopped) {
    Launch();
    QColor top;
    QTimer::singleShot(250, [&] {
        top = Hall().NameLabel(0)->TextColour();
        Hall().close();  // the window's own close control
    });
    Hall().Open();
    EXPECT_FALSE(Hall().isVisible());
    EXPECT_FALSE(Hall().ColourTimer().isActive());
    EXPECT_NE(top, QColor(255, 255, 255)) << "the colours moved while it was open";
    const QColor stopped = Hall().NameLabel(0)->TextColour();
    QTest::qWait(150);
    EXPECT_EQ(Hall().NameLabel(0)->TextColour(), stopped);

    QTimer::singleShot(0, [&] {
        EXPECT_EQ(Hall().NameLabel(0)->TextColour(), stopped);
        QTest::mouseClick(Hall().CloseLabel(), Qt::LeftButton);
    });
    Hall().Open();
    EXPECT_EQ(Hall().ScoreLabel(9)->text(), "100");
}

}  // namespace
}  // namespace ZapModule
