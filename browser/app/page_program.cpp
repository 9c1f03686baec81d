// SPDX-License-Identifier: GPL-3.0-or-later
#include "browser/app/page_program.h"

#include <cstdio>
#include <string_view>
#include <utility>

#include "browser/app/page_sound.h"
#include "game/input.h"
#include "game/kept_files.h"
#include "game/replay.h"
#include "game/screen_texts.h"
#include "game/tick.h"
#include "model/version.h"
#include "shell/program_messages.h"
#include "sound/sound.h"
#include "storage/disk_data_files.h"
#include "values/rounding.h"

namespace ZapModule {

namespace {

// The longest one call of the game loop keeps the page busy when steps are due back to back
// (small Tick): then the page gets its events in before the next call.
constexpr double kLoopSliceMillis = 4;

// Asked when a finger closes the game screen during a game.
constexpr std::string_view kCloseQuestion = "Opravdu ukončit hru?";

}  // namespace

PageProgram::PageProgram(std::string dataFolder, std::string userFolder, PictureLoader pictures,
                         PageLinks links)
    : pictures_(std::move(pictures)),
      links_(std::move(links)),
      files_(std::move(userFolder), links_.FilesChanged),
      loop_(s_, links_.Clock, links_.LoopTimer, kLoopSliceMillis),
      port_(s_, loop_),
      players_(s_),
      menu_(s_, players_),
      closing_(s_),
      start_(s_, closing_),
      steering_(
          [this](bool down, int code) {
              if (down)
                  FieldKeyDown(s_, code);
              else
                  FieldKeyUp(s_, code);
          },
          links_.Clock) {
    s_.DataFolder = std::move(dataFolder);
    s_.AppPath = "/";  // the page's site: the root of the module's file system
    s_.Window = &port_;
    s_.Files = &files_;
    s_.SoundFactory = [] { return std::make_unique<PageSound>(); };
    port_.SoundSwitch = [this] { return menu_.SoundOn(); };
    port_.Boxes().Changed = [this] { UpdateHold(); };
    port_.OnUnload = [this] { CloseGameScreen(); };
    closing_.StopGameLoop = [this] { loop_.SetInterval(0); };
    closing_.TickSetting = [this] { return menu_.Tick(); };
    // The page shows the end after every box the rules opened (the hall of fame of a game over
    // among them) has been closed.
    closing_.EndProgram = [this](int status) {
        if (!Watching()) files_.ReportReplayChanges();
        End(status);
    };
    closing_.ReplayFolder = files_.ReplayFolder();
    // Nothing has been written, and nothing will be: the run ends once the player read why.
    start_.Refuse = [this](const std::string& message) {
        port_.ShowMessage(message, kProgramTitle, MessageButtons::Ok);
        End(1);
    };
    start_.ShowBackground = [this](Surface picture) { port_.SetBackground(std::move(picture)); };
    start_.ShowTick = [this](int16_t tick) {
        menu_.SetTick(tick);
        tickKept_ = menu_.Tick();
    };
    // The pointer's steering takes its arrow keys just before a step, as a player would.
    loop_.BeforePass = [this] {
        if (PassesUntilStep(s_) == 1) steering_.BeforeStep(s_);
        files_.ReportJournal(links_.Clock());
    };
}

bool PageProgram::Load(std::optional<uint32_t> seed) {
    // The game screen's messages between levels as designed; Start changes the second for VEX.
    for (size_t i = 0; i < kBetweenLevelTexts.size(); ++i)
        port_.SetLabel3Text(static_cast<int>(i), kBetweenLevelTexts[i]);
    ShowCaption();
    return start_.Load(seed, pictures_);
}

void PageProgram::End(int status) {
    // The end covers the game screen: its field is left as the game left it.
    port_.FlushField();
    ended_ = true;
    loop_.End();
    links_.EndProgram(status);
}

bool PageProgram::Start() {
    files_.NoteReplays();
    if (const std::string problem = start_.SaveCutGame(); !problem.empty())
        std::fprintf(stderr, "zapwall: %s\n", problem.c_str());
    files_.ReportReplayChanges();
    files_.ReportJournal(links_.Clock(), true);
    return Load(std::nullopt);
}

void PageProgram::KeepRoster() {
    if (!Watching() && !ended_) SaveRoster(s_);
}

void PageProgram::KeepTick() {
    if (Watching() || ended_ || menu_.Tick() == tickKept_) return;
    tickKept_ = menu_.Tick();
    SaveTick(s_, menu_.Tick());
}

bool PageProgram::StartGame() {
    if (ended_ || !menu_.Start(0)) return false;
    // The game begins: from here on every input it gets is recorded, in memory.
    start_.BeginRecording([this] { return static_cast<int64_t>(links_.Clock()); });
    return true;
}

bool PageProgram::Watch(const std::string& replayFile, const std::string& shownName) {
    // Whatever start-up would write (a damaged roster set aside) stays in memory.
    s_.Files = &heldFiles_;
    const std::optional<Replay> opened =
        start_.OpenReplay(replayFile, shownName, [this](uint32_t seed) { return Load(seed); });
    if (!opened) return false;
    const Replay& replay = *opened;

    menu_.SetSoundOn(replay.Sound);
    StartRecordedGame(s_, replay);
    SetUpSound(s_, 0);
    schedule_ = std::make_unique<ReplaySchedule>(
        s_, replay, [this] { return static_cast<int64_t>(links_.Clock()); });
    schedule_->ArmTimer = links_.ReplayTimer;
    schedule_->DisarmTimer = [this] { links_.ReplayTimer(-1); };
    // The close asks the schedule whether the game left its recording.
    schedule_->OnEnd = [this](bool) { CloseGameScreen(); };
    schedule_->HeldChanged = [this] {
        if (!schedule_->Held()) heldByHiding_ = false;
        ShowCaption();
        UpdateHold();
    };
    // Watching writes nothing: the game screen's close handler only releases.
    closing_.StopGameLoop = [this] {
        schedule_->Stop();
        loop_.SetInterval(0);
    };
    loop_.BeforePass = [this] {
        schedule_->BeforePass();
        ShowCaption();
        ShowPaused();
    };
    ShowCaption();
    schedule_->Start();
    return true;
}

void PageProgram::KeyDown(int code, bool repeat) {
    if (ended_) return;
    if (!Watching()) {
        PlayerKey(true, code);
        return;
    }
    schedule_->ViewerKeyDown(code, repeat);
    // A skipped wait may have ended a pause.
    loop_.Wake();
    ShowCaption();
}

void PageProgram::KeyUp(int code) {
    if (!ended_ && !Watching()) PlayerKey(false, code);
}

void PageProgram::PlayerKey(bool down, int code) {
    steering_.PlayerKey(down, code);
    if (down)
        FieldKeyDown(s_, code);
    else
        FieldKeyUp(s_, code);
    loop_.Wake();
    ShowPaused();
}

void PageProgram::Press(double x, double y) {
    if (ended_ || Watching()) return;
    ScreenMouseDown(s_, RoundToInt32(x), RoundToInt32(y));
    loop_.Wake();
}

void PageProgram::PointerTap(double y) {
    if (ended_ || Watching()) return;
    steering_.Tap(RoundToInt32(y));
    loop_.Wake();
    ShowPaused();
}

void PageProgram::PointerAt(double y) {
    if (!ended_ && !Watching()) steering_.PointAt(RoundToInt32(y));
}

void PageProgram::FingerDown(double x, double y) {
    if (!ended_ && !Watching()) steering_.FingerDown(RoundToInt32(x), RoundToInt32(y));
}

void PageProgram::FingerMove(double x, double y) {
    if (!ended_ && !Watching()) steering_.FingerMove(RoundToInt32(x), RoundToInt32(y));
}

void PageProgram::FingerUp(bool cancelled) {
    if (ended_ || Watching()) return;
    steering_.FingerUp(cancelled);
    loop_.Wake();
    ShowPaused();
}

void PageProgram::ShowPaused() {
    const bool paused = !ended_ && s_.Paused == kTrue;
    if (paused == pausedShown_ || !links_.PausedSign) return;
    pausedShown_ = paused;
    links_.PausedSign(paused);
}

void PageProgram::CloseGameScreen() {
    if (Watching())
        closing_.ClosePlayback(schedule_->Diverged());
    else
        closing_.CloseGameScreen();
}

void PageProgram::AskToCloseGameScreen() {
    if (ended_ || Watching()) {
        CloseGameScreen();
        return;
    }
    // Under another box the game screen takes no press: the question is the next box closed.
    if (port_.Boxes().Any()) return;
    closeAsked_ = true;
    port_.ShowMessage(kCloseQuestion, kProgramTitle, MessageButtons::YesNo);
}

void PageProgram::ModalClosed(bool yes) {
    // The game screen closes while the question still holds the loop, so the boxes its close
    // opens come after it.
    if (std::exchange(closeAsked_, false) && yes) CloseGameScreen();
    port_.ModalClosed();
}

bool PageProgram::SetHidden(bool hidden) {
    if (ended_) return false;
    if (Watching()) {
        if (hidden && !schedule_->Held()) {
            heldByHiding_ = true;
            schedule_->SetHeld(true);
        } else if (!hidden && heldByHiding_) {
            schedule_->SetHeld(false);
        }
        return false;
    }
    if (!hidden || loop_.Interval() == 0 || s_.Paused != kFalse) return false;
    PlayerKey(true, kKeyP);
    return true;
}

void PageProgram::ReplayTimerFired() {
    if (!schedule_ || ended_) return;
    schedule_->TimerFired();
    // The recorded input may have ended a pause.
    loop_.Wake();
    ShowCaption();
    ShowPaused();
}

void PageProgram::UpdateHold() {
    loop_.SetHeld(port_.Boxes().Any() || (schedule_ && schedule_->Held()));
}

void PageProgram::ShowCaption() {
    if (!links_.GameCaption) return;
    if (Watching()) {
        if (const std::optional<std::string> caption = schedule_->ChangedCaption())
            links_.GameCaption(*caption);
    } else if (!captionShown_) {
        captionShown_ = true;
        links_.GameCaption(std::string(kGameScreenCaption));
    }
}

}  // namespace ZapModule
