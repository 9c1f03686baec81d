// SPDX-License-Identifier: GPL-3.0-or-later
// The hall of fame window Form3: its table, colour cycle and closing.

#include <QFontMetricsF>
#include <QKeyEvent>
#include <QStringDecoder>

#include "storage/hall.h"
#include "tests/frontend/program_fixture.h"

namespace ZapModule {
namespace {

using HallWindowTest = ProgramTest;

// The first and last pixel columns where the label, drawn as it is, shows its text colour (or
// something near it), between its one-pixel edges; {-1, -1} when the text shows nowhere.
std::pair<int, int> TextColumns(ActiveLabel* label) {
    const QImage image = label->grab().toImage();
    const QColor text = label->TextColour();
    std::pair<int, int> columns{-1, -1};
    for (int x = 1; x + 1 < image.width(); ++x)
        for (int y = 1; y + 1 < image.height(); ++y) {
            const QColor c = image.pixelColor(x, y);
            const int distance = std::abs(c.red() - text.red()) +
                                 std::abs(c.green() - text.green()) +
                                 std::abs(c.blue() - text.blue());
            if (distance > 120) continue;
            if (columns.first < 0) columns.first = x;
            columns.second = x;
            break;
        }
    return columns;
}

// Names of eight equal letters, one for every letter of the Central European code page.
std::vector<QString> EightLetterNames() {
    std::vector<QString> names;
    QStringDecoder cp1250("windows-1250");
    for (int code = 0x41; code <= 0xFF; ++code) {
        const char byte = static_cast<char>(code);
        const QString letter = cp1250.decode(QByteArray(&byte, 1));
        if (letter.size() == 1 && letter[0].isLetter()) names.emplace_back(8, letter[0]);
    }
    return names;
}

TEST_F(HallWindowTest, ShowsTheTableAndCyclesTheRowColours) {
    Launch();
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(Hall().NameLabel(i)->text(), "");
        EXPECT_EQ(Hall().ScoreLabel(i)->text(), QString::number(1000 - 100 * i));
    }

    // The cycle's colours are the shell's (tests/shell); the rows show them, the ranks stay green.
    Hall().AnimationStep();
    EXPECT_EQ(Hall().NameLabel(0)->TextColour(), QColor(192, 255, 192));
    EXPECT_EQ(Hall().ScoreLabel(0)->TextColour(), QColor(192, 255, 192));
    EXPECT_EQ(Hall().NameLabel(9)->TextColour(), QColor(255, 255, 255));
    EXPECT_EQ(Hall().RankLabel(0)->TextColour(), QColor(0, 192, 0));

    State().Hall[0] = HallEntry{"Eva", 1200};
    App().Port().HallOfFameChanged();
    EXPECT_EQ(Hall().NameLabel(0)->text(), "Eva");
    EXPECT_EQ(Hall().ScoreLabel(0)->text(), "1200");
}

TEST_F(HallWindowTest, EveryWayOfClosingKeepsTheTableAndTheCycleGoesOnWhereItStopped) {
    Launch();
    QColor top;
    int colourSteps = 0;
    QObject::connect(&Hall().ColourTimer(), &QTimer::timeout, &Hall(), [&] {
        if (++colourSteps != 2) return;
        top = Hall().NameLabel(0)->TextColour();
        Hall().close();  // the window's own close control
    });
    Hall().Open();
    ASSERT_TRUE(RunUntil([&] { return !Hall().isVisible(); }));
    EXPECT_FALSE(Hall().ColourTimer().isActive());
    EXPECT_NE(top, QColor(255, 255, 255)) << "the colours moved while it was open";
    const QColor stopped = Hall().NameLabel(0)->TextColour();
    ASSERT_TRUE(RunPastTimersOf(3 * std::chrono::milliseconds(HallColourCycle::kStepMilliseconds)));
    EXPECT_EQ(Hall().NameLabel(0)->TextColour(), stopped);

    Hall().Open();
    EXPECT_EQ(Hall().NameLabel(0)->TextColour(), stopped);
    QTest::mouseClick(Hall().CloseLabel(), Qt::LeftButton);
    EXPECT_FALSE(Hall().isVisible());
    EXPECT_EQ(Hall().ScoreLabel(9)->text(), "100");

    // "Zavřít" holds the focus, and its key (Return; which keys work a label is the menu test's)
    // and Esc close the window; an Esc still repeating from before it opened does not.
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
        Hall().Open();
        EXPECT_EQ(Hall().focusWidget(), Hall().CloseLabel()) << key;
        QKeyEvent held(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, {}, true);
        QCoreApplication::sendEvent(Hall().CloseLabel(), &held);
        EXPECT_TRUE(Hall().isVisible()) << key;
        QTest::keyClick(Hall().focusWidget(), key);
        EXPECT_FALSE(Hall().isVisible()) << key;
        Hall().close();
    }
}

// Rank ten is drawn in the font of the other ranks, and every name of eight letters fits its cell.
TEST_F(HallWindowTest, EveryRankAndEveryNameOfEightLettersFitsItsCell) {
    Launch();
    ActiveLabel* ten = Hall().RankLabel(9);
    EXPECT_EQ(ten->font(), Hall().RankLabel(0)->font());
    EXPECT_EQ(ten->geometry(), QRect(256, 224, 25, 25));
    EXPECT_LE(QFontMetrics(ten->font()).horizontalAdvance("10."), ten->width())
        << "the full stop of \"10.\" is cut off";
    ActiveLabel* cell = Hall().NameLabel(0);
    ASSERT_EQ(cell->size(), QSize(89, 25));
    // Ordinary Czech names fit in the font as it is, without narrowing.
    for (const char* name : {"ŠTĚPÁNEK", "ŽŽŽŽŽŽŽŽ", "Přemysla", "Jaroslav"}) {
        cell->setText(QString::fromUtf8(name));
        EXPECT_EQ(cell->TextSqueeze(), 1.0) << name;
    }
    // The widest names, whatever the font: each is shown whole, left of the cell's right edge.
    QString widest;
    for (const QString& name : EightLetterNames())
        if (QFontMetricsF(cell->font()).horizontalAdvance(name) >
            QFontMetricsF(cell->font()).horizontalAdvance(widest))
            widest = name;
    for (const QString& name : {widest, QStringLiteral("WWWWWWWW"), QStringLiteral("mmmmmmmm"),
                                QString::fromUtf8("ŠTĚPÁNEK")}) {
        cell->setText(name);
        const auto [first, last] = TextColumns(cell);
        EXPECT_GE(first, 1) << name.toStdString() << " is not shown";
        EXPECT_LE(last, 86) << name.toStdString() << " is cut off at the cell's edge";
    }
    // The game screen's name label shows the widest name whole too.
    ActiveLabel* label = Screen().Label1(3);
    label->setText(widest);
    const auto [first, last] = TextColumns(label);
    EXPECT_GT(first, 1);
    EXPECT_LT(last, label->width() - 2);
}

}  // namespace
}  // namespace ZapModule
