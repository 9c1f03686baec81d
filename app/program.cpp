#include "app/program.h"

#include <chrono>
#include <ctime>
#include <utility>

#include "frontend/czech_qt_texts.h"
#include "game/startup.h"
#include "graphics/picture_loader.h"
#include "graphics/sprites.h"
#include "sound/component_loader.h"
#include "sound/sound.h"
#include "storage/file_reports.h"
#include "storage/replay_folder.h"
#include "storage/roster.h"
#include "storage/tick.h"

namespace ZapModule {

Program::Program(const DataLayout& layout, std::unique_ptr<StepWaker> waker)
    : libraryFolder_(layout.LibraryFolder), files_(layout.UserFolder) {
    // Qt's own texts (context menus, standard buttons) are Czech like the rest of the game.
    InstallCzechQtTexts();
    s_.AppPath = layout.ProgramFolder;
    s_.DataFolder = layout.DataFolder;
    s_.Window = &port_;
    s_.Files = &files_;
    loop_ = std::make_unique<GameLoop>(s_, std::move(waker));
    form1_ = std::make_unique<GameScreen>(s_);
    form3_ = std::make_unique<HallWindow>(s_);
    form2_ = std::make_unique<MenuWindow>(s_, form1_.get(), form3_.get());
    port_.Attach(form1_.get(), loop_.get(), form2_.get(), form3_.get());
    form1_->OnClose = [this] { CloseGameScreen(); };
    form2_->OnClose = [this] { CloseMenu(); };
}

Program::~Program() {
    // The sound player goes before the windows it may have been opened on.
    s_.SoundPlayer.reset();
}

std::optional<int> Program::Start() {
    if (!Load()) return 1;
    RunMenu();
    if (ended_) return 0;
    ShowGameScreen();
    return std::nullopt;
}

bool Program::Load(std::optional<uint32_t> seed) {
    // A missing or broken sound library is reported and the game goes on without sound.
    RegisterSound(s_, libraryFolder_);
    seed_ = seed.value_or(static_cast<uint32_t>(
        std::chrono::system_clock::now().time_since_epoch().count() & 0xFFFFFFFFu));
    s_.Random.Seed(seed_);
    s_.Field = Surface(kFieldWidth, kFieldHeight);
    const StartupResult loaded = LoadGameData(
        s_, pictures_ ? std::exchange(pictures_, nullptr) : PictureLoader(LoadPicture));
    if (!loaded.Refusal.empty()) {
        // Nothing has been written, and nothing will be: the run ends here.
        port_.ShowMessage(
            "Hru nelze spustit, soubor s daty hry je poškozený nebo chybí:\n" + loaded.Refusal,
            "Zapwall", MessageButtons::Ok);
        ended_ = true;
        loop_->End();
        return false;
    }
    levelsHash_ = loaded.LevelsHash;
    animationsHash_ = loaded.AnimationsHash;
    form1_->SetBackground(loaded.Background);
    form2_->SetTickSetting(LoadTick(s_));
    return true;
}

void Program::RunMenu() {
    if (!ended_) form2_->ShowModal();
}

void Program::ShowGameScreen() {
    if (ended_) return;
    if (!playback_) {
        // The game begins: from here on every input it gets is recorded, in memory.
        const ReplayOrigin origin{seed_, levelsHash_, animationsHash_,
                                  RecordedTime(std::time(nullptr))};
        recorder_.Begin(s_, origin, [] {
            return std::chrono::duration_cast<std::chrono::milliseconds>(
                       std::chrono::steady_clock::now().time_since_epoch())
                .count();
        });
        s_.Recorder = &recorder_;
    }
    CentreOnScreen(form1_.get());
    form1_->show();
    form1_->activateWindow();
    form1_->Field()->setFocus(Qt::OtherFocusReason);
}

void Program::CloseLevelFile() {
    s_.Levels = LevelFile{};
}

// Form1's close handler. When it runs first, the menu's handler ends the process inside it.
void Program::CloseGameScreen() {
    if (gameScreenClosing_) return;
    gameScreenClosing_ = true;
    loop_->SetInterval(0);
    s_.Recorder = nullptr;
    const std::optional<Replay> recorded =
        recorder_.Recording() ? std::optional<Replay>(recorder_.Finish(s_)) : std::nullopt;
    ReleaseSprites(s_);
    ShutDownSound(s_);
    UnregisterSound(s_);
    CloseLevelFile();
    StoreCurrentPlayer(s_);
    SaveRoster(s_);
    if (recorded) SaveRecording(*recorded);
    CloseMenu();
    if (ended_) return;
    form3_->hide();
    End(0);
}

// Form2's close handler. When it runs first, the game screen's handler ends the process inside
// it.
void Program::CloseMenu() {
    if (menuClosing_) return;
    menuClosing_ = true;
    ReleaseSprites(s_);
    ShutDownSound(s_);
    SaveTick(s_, form2_->TickSetting());
    SaveRoster(s_);
    CloseLevelFile();
    CloseGameScreen();
    if (ended_) return;
    form3_->hide();
    End(0);
}

void Program::SaveRecording(const Replay& replay) {
    if (!SaveReplay(ReplayFolder(), replay))
        ReportFailedSave(s_, "replays/" + ReplayFileName(replay.Recorded, replay.Player.Name));
}

std::optional<int> Program::StartPlayback(const std::string& replayFile) {
    // Whatever start-up would write (a damaged roster set aside) stays in memory.
    s_.Files = &heldFiles_;
    form1_->OnClose = [this] { ClosePlayback(); };
    form2_->OnClose = [this] { ClosePlayback(); };
    const std::optional<std::vector<uint8_t>> bytes = ReadWholeFile(replayFile, kMaxReplayFileSize);
    const ReplayParse parsed =
        bytes ? ParseReplay(
                    std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()))
              : ReplayParse{std::nullopt, "soubor chybí nebo ho nelze přečíst"};
    if (!parsed.Read) return RefusePlayback(replayFile + "\n" + parsed.Problem);
    const Replay& replay = *parsed.Read;
    if (!Load(replay.Seed)) return 1;
    if (const std::optional<std::string> file =
            DifferingDataFile(replay, s_, levelsHash_, animationsHash_))
        return RefusePlayback(replayFile + "\nZáznam byl pořízen s jiným souborem " + *file +
                              ", než je " + DataPath(s_, *file));

    form2_->SoundSwitch()->setChecked(replay.Sound);
    StartRecordedGame(s_, replay);
    SetUpSound(s_, static_cast<intptr_t>(form1_->winId()));
    playback_ = std::make_unique<ReplayPlayback>(s_, *loop_, *form1_, replay);
    playback_->OnEnd = [this](bool diverged) {
        if (diverged)
            port_.ShowMessage("Záznam hry se nepřehrál tak, jak byl nahrán, a končí.", "Zapwall",
                              MessageButtons::Ok);
        form1_->Unload();
    };
    ShowGameScreen();
    playback_->Start();
    return std::nullopt;
}

int Program::RefusePlayback(const std::string& why) {
    port_.ShowMessage("Záznam hry nelze přehrát:\n" + why, "Zapwall", MessageButtons::Ok);
    ended_ = true;
    loop_->End();
    return 1;
}

// The game screen's close handler while a replay is watched: everything is released, nothing is
// saved.
void Program::ClosePlayback() {
    if (gameScreenClosing_) return;
    gameScreenClosing_ = true;
    if (playback_) playback_->Stop();
    loop_->SetInterval(0);
    ReleaseSprites(s_);
    ShutDownSound(s_);
    UnregisterSound(s_);
    CloseLevelFile();
    End(0);
}

void Program::End(int status) {
    ended_ = true;
    loop_->End();
    form3_->hide();
    form2_->hide();
    form1_->hide();
    if (EndProcess) EndProcess(status);
}

}  // namespace ZapModule
