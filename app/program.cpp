// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/program.h"

#include <QApplication>
#include <QKeyEvent>
#include <algorithm>
#include <chrono>
#include <iostream>
#include <utility>

#include "frontend/czech_qt_texts.h"
#include "frontend/hall_send_dialog.h"
#include "game/replay.h"
#include "game/tick.h"
#include "graphics/sprites.h"
#include "pictures/picture_loader.h"
#include "shell/hall_offer.h"
#include "shell/program_messages.h"
#include "sound/component_loader.h"
#include "sound/sound.h"

namespace ZapModule {

Program::Program(const DataLayout& layout, std::unique_ptr<StepWaker> waker)
    : libraryFolder_(layout.LibraryFolder),
      userSettings_(UserSettings::UserFile()),
      files_(layout.UserFolder) {
    // Qt's own texts (context menus, standard buttons) are Czech like the rest of the game.
    InstallCzechQtTexts();
    s_.AppPath = layout.ProgramFolder;
    s_.DataFolder = layout.DataFolder;
    s_.LevelsFile = layout.LevelsFile;
    s_.Window = &port_;
    s_.Files = &files_;
    loop_ = std::make_unique<GameLoop>(s_, std::move(waker));
    // Before each step the mouse may steer the bat, as held arrow keys do.
    loop_->BeforePass() = [this] {
        GameScreen* screen = form1_.Built();
        if (screen != nullptr && PassesUntilStep(s_) == 1) screen->Field()->SteerBat();
    };
    form2_ = std::make_unique<MenuWindow>(s_, menu_, players_, form1_);
    form2_->Players().AskQuestion = [this](const std::string& question, const std::string& title,
                                           std::function<void()> yes) {
        port_.Ask(question, title, std::move(yes));
    };
    port_.Attach(&form1_, loop_.get(), form2_.get(), &form3_);
    port_.Boxes().Changed = [this] { UpdateHold(); };
    closing_.StopGameLoop = [this] { loop_->SetInterval(0); };
    closing_.TickSetting = [this] { return menu_.Tick(); };
    closing_.EndProgram = [this](int status) {
        loop_->End();
        if (closing_.FinishedGame()) OfferHallSends(closing_.FinishedGame());
        // The windows go once every box (the saves' failures, the offer) has been closed.
        port_.Boxes().AfterAll([this, status] {
            if (HallWindow* hall = form3_.Built()) hall->hide();
            form2_->hide();
            if (GameScreen* screen = form1_.Built()) screen->hide();
            EndWith(status);
        });
    };
    closing_.ReplayFolder = ReplayFolder();
    start_.Refuse = [this](const std::string& message) { Refuse(message); };
    start_.ShowBackground = [this](Surface picture) {
        background_ = std::move(picture);
        if (GameScreen* screen = form1_.Built()) screen->SetBackground(background_);
    };
    start_.ShowTick = [this](int16_t tick) { form2_->SetTickSetting(tick); };
    form2_->OnClose = [this] { closing_.CloseMenu(); };
    form2_->OnStarted = [this] { ShowGameScreen(); };
}

std::unique_ptr<GameScreen> Program::MakeGameScreen() {
    auto screen = std::make_unique<GameScreen>(s_);
    screen->SetBackground(background_);
    screen->OnClose = [this] { closing_.CloseGameScreen(); };
    screen->OnFullScreenChanged = [this](bool on) { userSettings_.SetFullScreen(on); };
    screen->InputDelivered = [this] { loop_->Wake(); };
    return screen;
}

Program::~Program() {
    // The sound player goes before the windows it may have been opened on.
    s_.SoundPlayer.reset();
}

std::optional<int> Program::Start() {
    if (const std::string problem = start_.SaveCutGame(); !problem.empty())
        std::cerr << "zapwall: " << problem << '\n';
    if (!Load()) return endStatus_;
    OfferHallSends(std::nullopt);
    if (chosenAtStart_) ChoosePlayer(*chosenAtStart_);
    // The menu comes after the boxes start-up opened (a missing sound library, the offer).
    port_.Boxes().AfterAll([this] { ShowMenu(); });
    return endStatus_;
}

bool Program::Load(std::optional<uint32_t> seed) {
    // A missing or broken sound library is reported and the game goes on without sound.
    RegisterSound(s_, sound_ ? std::exchange(sound_, nullptr)() : LoadSoundLibrary(libraryFolder_));
    return start_.Load(seed,
                       pictures_ ? std::exchange(pictures_, nullptr) : PictureLoader(LoadPicture));
}

void Program::ChoosePlayer(const std::string& name) {
    const auto found =
        std::find_if(s_.Players.begin(), s_.Players.end(),
                     [&](const PlayerRecord& player) { return player.Name == name; });
    if (found == s_.Players.end()) {
        std::cerr << "zapwall: hráč " << name << " v seznamu není\n";
        return;
    }
    form2_->Players().Choose(static_cast<int>(found - s_.Players.begin()));
}

void Program::ShowMenu() {
    if (!Ended()) form2_->Show();
}

void Program::ShowGameScreen() {
    if (Ended()) return;
    if (!playback_) {
        // The game begins: from here on every input it gets is recorded, in memory.
        start_.BeginRecording([] {
            return std::chrono::duration_cast<std::chrono::milliseconds>(
                       std::chrono::steady_clock::now().time_since_epoch())
                .count();
        });
    }
    if (!gamepad_)
        gamepad_ = std::make_unique<GamepadInput>(
            [this](bool down, int qtKey) { ControllerKey(down, qtKey); });
    form1_->FitToScreen();
    CentreOnScreen(&*form1_);
    form1_->show();
    // Full screen or not, as the player left it last time.
    form1_->SetFullScreen(userSettings_.FullScreen());
    form1_->activateWindow();
    form1_->Field()->setFocus(Qt::OtherFocusReason);
}

std::optional<int> Program::StartPlayback(const std::string& replayFile) {
    // Whatever start-up would write (a damaged roster set aside) stays in memory.
    s_.Files = &heldFiles_;
    // Watching writes nothing: the game screen's close handler only releases.
    closing_.StopGameLoop = [this] {
        if (playback_) playback_->Stop();
        loop_->SetInterval(0);
    };
    const auto closePlayback = [this] {
        closing_.ClosePlayback(playback_ && playback_->Diverged());
    };
    form1_->OnClose = closePlayback;
    form2_->OnClose = closePlayback;
    const std::optional<Replay> opened =
        start_.OpenReplay(replayFile, replayFile, [this](uint32_t seed) { return Load(seed); });
    if (!opened) return endStatus_;
    const Replay& replay = *opened;

    form2_->SoundSwitch()->setChecked(replay.Sound);
    StartRecordedGame(s_, replay);
    SetUpSound(s_, static_cast<intptr_t>(form1_->winId()));
    playback_ = std::make_unique<ReplayPlayback>(s_, *loop_, *form1_, replay);
    // The close handler asks the playback whether it left its recording.
    playback_->OnEnd = [this](bool) { form1_->Unload(); };
    playback_->HeldChanged = [this] { UpdateHold(); };
    ShowGameScreen();
    playback_->Start();
    return std::nullopt;
}

void Program::OfferHallSends(std::optional<HallSend> game) {
    std::string problem;
    std::optional<std::string> address = HallServerAddress(
        resultsServer_.empty() ? userSettings_.HallServer() : resultsServer_, &problem);
    // The dialog keeps the offer, and the offer the kept sends, as long as it is open.
    const auto pending =
        std::make_shared<PendingHallSends>(files_.PathOf(std::string(kPendingHallSendsFolder)));
    if (!problem.empty() && (game || !pending->Names().empty())) {
        port_.ShowMessage(problem + "\nVýsledky se neposílají; adresa je v souboru " +
                              userSettings_.File().toStdString() + ".",
                          kProgramTitle, MessageButtons::Ok);
        return;
    }
    const auto offer = std::make_shared<HallOffer>(std::move(address), *pending, std::move(game));
    if (!offer->Asks()) {
        // Kept sends set aside as damaged are told of even when nothing is left to offer.
        std::string notes;
        for (const std::string& note : offer->Notes()) notes += (notes.empty() ? "" : "\n") + note;
        if (!notes.empty()) port_.ShowMessage(notes, kProgramTitle, MessageButtons::Ok);
        return;
    }
    port_.Boxes().Open([this, pending, offer] {
        GameScreen* screen = form1_.Built();
        auto* dialog =
            new HallSendDialog(*offer, screen != nullptr && screen->isVisible() ? screen : nullptr);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->setWindowModality(Qt::ApplicationModal);
        QObject::connect(dialog, &QDialog::finished, dialog,
                         [this, pending, offer] { port_.Boxes().Closed(); });
        dialog->show();
    });
}

void Program::UpdateHold() {
    loop_->SetHeld(port_.Boxes().Any() || (playback_ != nullptr && playback_->Held()));
}

void Program::ControllerKey(bool down, int qtKey) {
    if (!form1_->isVisible() || QApplication::activeModalWidget() != nullptr) return;
    QKeyEvent key(down ? QEvent::KeyPress : QEvent::KeyRelease, qtKey, Qt::NoModifier);
    QCoreApplication::sendEvent(form1_->Field(), &key);
}

void Program::Refuse(const std::string& message) {
    port_.ShowMessage(message, kProgramTitle, MessageButtons::Ok);
    refused_ = true;
    loop_->End();
    port_.Boxes().AfterAll([this] { EndWith(1); });
}

void Program::EndWith(int status) {
    endStatus_ = status;
    if (EndProcess) EndProcess(status);
}

}  // namespace ZapModule
