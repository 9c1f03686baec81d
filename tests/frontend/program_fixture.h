// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A whole program on the offscreen platform, in a folder of its own: a copy of the build's data
// (without sounds: there is no sound library beside it, so the game is silent), message boxes
// answered and recorded, and the end of the process recorded instead of happening.

#include <gtest/gtest.h>

#include <QBackingStore>
#include <QCoreApplication>
#include <QImage>
#include <QRegion>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/program.h"
#include "sound/recording_sound.h"
#include "storage/disk_data_files.h"
#include "storage/replay_folder.h"
#include "storage/roster.h"
#include "tests/lib/test_files.h"

namespace ZapModule {

struct ShownMessage {
    std::string Text;
    std::string Title;
    MessageButtons Buttons;
};

class ProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const std::filesystem::path source = std::filesystem::path(ZAPWALL_BUILD_DIR) / "data";
        std::filesystem::create_directories(Data());
        for (const char* file : {"levels.ko", "animations.ko"})
            std::filesystem::copy_file(source / file, Data() / file);
        std::filesystem::copy(source / "pictures", Data() / "pictures",
                              std::filesystem::copy_options::recursive);
    }
    void TearDown() override { program_.reset(); }

    std::filesystem::path Data() const { return folder_ / "data"; }
    // The folders the program is given: the portable data folder unless a test names others.
    DataLayout Layout() const {
        return Installed ? *Installed : PortableLayout(folder_.string(), Data().string());
    }
    void WriteDataFile(const std::string& name, const std::vector<uint8_t>& bytes) {
        ASSERT_TRUE(ReplaceFile((Data() / name).string(), bytes));
    }
    std::vector<PlayerRecord> StoredPlayers() const {
        return ParseRoster(testing::ReadBytes((Data() / kRosterFile).string())).Players;
    }

    // Makes the program, its message boxes answered and recorded and its end recorded.
    Program& MakeProgram() {
        program_ = std::make_unique<Program>(Layout());
        // The user's own display settings stay untouched: the test keeps its own.
        program_->Settings().UseFile(QString::fromStdString((folder_ / "zapwall.conf").string()));
        program_->Port().Messages = [this](const std::string& text, const std::string& title,
                                           MessageButtons buttons) {
            messages_.push_back({text, title, buttons});
            if (OnMessage) OnMessage();
            return buttons == MessageButtons::YesNo ? Answer : MessageAnswer::Ok;
        };
        program_->EndProcess = [this](int status) { exits_.push_back(status); };
        return *program_;
    }
    // Makes the program and runs the entry routine up to the menu, with a recording sound
    // component in place of the missing library.
    void Launch() {
        ASSERT_TRUE(MakeProgram().Load());
        State().SoundFactory = [log = sound_] { return std::make_unique<RecordingSound>(log); };
    }
    // Launches with these players in players.ko and shows the menu (not modally).
    void LaunchWithPlayers(const std::vector<PlayerRecord>& players) {
        WriteDataFile(kRosterFile, SerializeRoster(players));
        Launch();
        Menu().show();
    }
    // Launches with one player (by default "Ann" on the first level with three spare balls),
    // selects it and presses Start at the given speed, and waits for the game screen to be shown.
    void StartGame(int16_t tick = 8000, const PlayerRecord& player = {"Ann", 0, 0, 3}) {
        LaunchWithPlayers({player});
        Menu().SetTickSetting(tick);
        Menu().Players().List()->setCurrentRow(0);
        QTest::mousePress(Menu().MenuItem(MenuWindow::kStart), Qt::LeftButton);
        ASSERT_FALSE(Menu().isVisible());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Screen()));
    }
    // Called at each step: the bat follows the first ball and balls never run out, so the game
    // goes on for as long as a test plays it.
    void KeepPlaying() {
        GameState& s = State();
        if (!s.Balls.empty()) {
            s.MovingUp = s.Balls[0].Y < s.BatTop + 10 ? kTrue : kFalse;
            s.MovingDown = s.Balls[0].Y > s.BatTop + 40 ? kTrue : kFalse;
        }
        s.BallsLeft = 3;
    }
    // The field tests' game, called at each step (counted from 0): the bat follows the ball, a
    // wall grows at step 100 and goes at 250 (a large picture comes and goes), Qt paints a part
    // of the field at 150, and the level is done at 299 (the next step switches it).
    void PlayTheFieldScenario(int step) {
        KeepPlaying();
        GameState& s = State();
        if (step == 100) {
            s.WallOn = kTrue;
            s.WallS = kWallGrowing;
        }
        if (step == 150) Screen().Field()->repaint(10, 10, 40, 40);
        if (step == 250) s.WallS = kWallShrinking;
        if (step == 299) s.LevelDone = kTrue;
    }
    void PressKey(Qt::Key key) { QTest::keyPress(Screen().Field(), key); }
    // Space twice: play starts and the ball leaves the bat.
    void ReleaseTheBall() {
        PressKey(Qt::Key_Space);
        PressKey(Qt::Key_Space);
    }
    void ReleaseKey(Qt::Key key) { QTest::keyRelease(Screen().Field(), key); }

    // Lets the event loop (and the game loop it runs) go on until `done` holds; a watchdog ends
    // a game loop that would otherwise keep the test waiting. The deadline only stops a hang: a
    // machine busy with other tests may take many times the usual time.
    bool RunUntil(const std::function<bool()>& done) {
        bool late = false;
        QTimer watchdog;
        watchdog.setSingleShot(true);
        QObject::connect(&watchdog, &QTimer::timeout, [&] {
            late = true;
            program_->Timer1().End();
        });
        watchdog.start(std::chrono::minutes(1));
        while (!done() && !late) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        return done();
    }
    // Lets the event loop go on until a timer started now with the given interval has fired.
    // Qt fires due timers in the order they fall due, so every timer that was running with a
    // shorter interval has fired by then: an absence checked afterwards is a real one.
    bool RunPastTimersOf(std::chrono::milliseconds interval) {
        bool fired = false;
        QTimer marker;
        marker.setSingleShot(true);
        marker.setTimerType(Qt::PreciseTimer);
        QObject::connect(&marker, &QTimer::timeout, [&] { fired = true; });
        marker.start(interval);
        return RunUntil([&] { return fired; });
    }

    Program& App() { return *program_; }
    GameState& State() { return program_->State(); }
    MenuWindow& Menu() { return program_->Form2(); }
    GameScreen& Screen() { return program_->Form1(); }
    HallWindow& Hall() { return program_->Form3(); }
    // The game screen as Qt last painted it, in device pixels: its backing store's picture (null
    // where the platform keeps none).
    QImage QtCopy() {
        const QPaintDevice* device = Screen().backingStore()->paintDevice();
        return device->devType() == QInternal::Image ? *static_cast<const QImage*>(device)
                                                     : QImage();
    }
    // The field pixels that differ between a picture of the game screen (the field's top-left
    // pixel at `origin`, each field pixel a block of `factor` x `factor` pixels) and the field
    // surface, but for those under the messages shown between levels; all of them when there is
    // no picture.
    int FieldPixelsDiffering(const QImage& picture, QPoint origin, int factor = 1) {
        if (picture.isNull()) return kFieldWidth * kFieldHeight;
        QRegion messages;
        for (int i = 0; i < 3; ++i)
            if (Screen().Label3(i)->isVisible()) messages += Screen().Label3(i)->geometry();
        int differing = 0;
        for (int y = 0; y < kFieldHeight; ++y)
            for (int x = 0; x < kFieldWidth; ++x) {
                if (messages.contains(QPoint(x, y))) continue;
                bool same = true;
                for (int dy = 0; dy < factor; ++dy)
                    for (int dx = 0; dx < factor; ++dx) {
                        const QPoint at = origin + QPoint(x * factor + dx, y * factor + dy);
                        same = same && picture.valid(at) &&
                               (picture.pixel(at) | kOpaqueBlack) == State().Field.Pixel(x, y);
                    }
                if (!same) ++differing;
            }
        return differing;
    }
    // The field's top-left pixel in the game screen's picture, in device pixels.
    QPoint FieldOrigin() {
        const ScreenScale& scale = Screen().Scale();
        return (scale.Place(GameScreen::kFieldDesign).topLeft() * scale.Ratio).toPoint();
    }
    // Whether a message box said something containing `text`.
    bool Said(const std::string& text) const {
        for (const ShownMessage& m : messages_)
            if (m.Text.find(text) != std::string::npos) return true;
        return false;
    }
    // The text of the one replay the program kept; empty unless there is exactly one.
    std::string KeptReplay() const {
        const std::vector<std::string> kept = KeptReplays((Data() / "replays").string());
        return kept.size() == 1 ? testing::ReadText(Data() / "replays" / kept[0]) : std::string();
    }

    testing::TempFolder temp_;
    std::filesystem::path folder_{temp_.Path()};
    std::unique_ptr<Program> program_;
    std::vector<ShownMessage> messages_;
    std::vector<int> exits_;
    std::shared_ptr<SoundLog> sound_ = std::make_shared<SoundLog>();
    MessageAnswer Answer = MessageAnswer::Yes;
    std::optional<DataLayout> Installed;
    std::function<void()> OnMessage;
};

}  // namespace ZapModule
