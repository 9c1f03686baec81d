// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/closing.h"

#include <optional>

#include "game/file_notices.h"
#include "game/kept_files.h"
#include "game/replay.h"
#include "graphics/sprites.h"
#include "ports/window_port.h"
#include "shell/program_messages.h"
#include "sound/component_loader.h"
#include "sound/sound.h"
#include "storage/replay_folder.h"

namespace ZapModule {

void KeepPlayersProgress(GameState& s) {
    StoreCurrentPlayer(s);
    SaveRoster(s);
}

void CloseHandlers::CloseGameScreen() {
    if (gameScreenClosing_) return;
    gameScreenClosing_ = true;
    Closing([this] {
        if (StopGameLoop) StopGameLoop();
        s_.Recorder = nullptr;
        const std::optional<Replay> recorded = Recorder != nullptr && Recorder->Recording()
                                                   ? std::optional(Recorder->Finish(s_))
                                                   : std::nullopt;
        if (recorded) finishedGame_ = OfferedHallSend(s_, *recorded);
        Release();
        KeepPlayersProgress(s_);
        std::string why;
        if (recorded && !SaveReplay(ReplayFolder, *recorded, kKeptReplays, &why))
            ReportFailedSave(
                s_, "replays/" + ReplayFileName(recorded->Recorded, recorded->Player.Name), why);
        else if (recorded)
            Recorder->DropJournal();
        CloseMenu();
    });
}

void CloseHandlers::CloseMenu() {
    if (menuClosing_) return;
    menuClosing_ = true;
    Closing([this] {
        ReleaseSprites(s_);
        ShutDownSound(s_);
        if (TickSetting) SaveTick(s_, TickSetting());
        SaveRoster(s_);
        s_.Levels = LevelFile{};
        CloseGameScreen();
    });
}

void CloseHandlers::Closing(const std::function<void()>& work) {
    ++closing_;
    {
        const SaveFailureBatch batch(s_);
        work();
    }
    if (--closing_ == 0 && !ended_) End(0);
}

void CloseHandlers::ClosePlayback(bool diverged) {
    if (gameScreenClosing_) return;
    gameScreenClosing_ = true;
    if (StopGameLoop) StopGameLoop();
    if (diverged && s_.Window)
        s_.Window->ShowMessage(kReplayDiverged, kProgramTitle, MessageButtons::Ok);
    Release();
    End(diverged ? 1 : 0);
}

void CloseHandlers::Release() {
    ReleaseSprites(s_);
    ShutDownSound(s_);
    UnregisterSound(s_);
    // The level file is closed: nothing reads it any more.
    s_.Levels = LevelFile{};
}

void CloseHandlers::End(int status) {
    ended_ = true;
    if (EndProgram) EndProgram(status);
}

}  // namespace ZapModule
