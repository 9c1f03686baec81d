// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/level_flow.h"

#include <string>

#include "game/balls.h"
#include "game/bricks.h"
#include "game/kept_files.h"
#include "game/score.h"
#include "game/screen_texts.h"
#include "model/hidden_names.h"
#include "model/screen_geometry.h"
#include "ports/window_port.h"
#include "sound/sound.h"
#include "storage/level_file.h"

namespace ZapModule {

void ShowBetweenLevelMessages(GameState& s, bool visible) {
    for (int i = 0; i < 3; ++i) s.Window->SetLabel3Visible(i, visible);
}

void InitProgramState(GameState& s) {
    s.ButtonRects = {kStartButtonRect, kQuitButtonRect};
    for (int16_t kind = 1; kind <= kBonusKinds; ++kind) s.BonusTimers[kind] = -1;
    s.CurrentPlayer = -1;
}

void LoadGameScreen(GameState& s) {
    s.BallsLeft = 3;
    s.BatTop = kBatStartTop;
    s.BatHeight = kNormalBatHeight;
    s.BatRect.Left = kBatLeft;
    s.BatRect.Right = kBatRight;
    ServeBall(s);
}

void StartGameAs(GameState& s, const PlayerRecord& player, int16_t tick) {
    s.Iq = player.Iq;
    s.Level = static_cast<int16_t>(player.Level);
    s.BallsLeft = player.SpareBalls;
    s.PlayerName = player.Name;
    s.Window->SetLabel1Text(3, player.Name);
    if (IsVexName(player.Name)) s.Window->SetLabel3Text(1, kVexMessage);
    s.Tick = tick;
    SkipToLevel(s);
    // The skip leaves the file at block Level modulo LevelCount; a negative level skips nothing
    // and so starts at block 0, which LevelsRead must then say too.
    s.LevelsRead = s.Level < 0 ? 0 : s.Level;
    while (s.LevelCount > 0 && s.LevelsRead >= s.LevelCount)
        s.LevelsRead = static_cast<int16_t>(s.LevelsRead - s.LevelCount);
    LoadLevel(s);
}

void StartGame(GameState& s, int16_t index, int16_t tick) {
    s.CurrentPlayer = index;
    StartGameAs(s, s.Players[index], tick);
}

void NextLevel(GameState& s) {
    s.Balls.clear();
    s.BallRects.clear();
    s.Movers.clear();
    s.MoverRects.clear();
    s.Bonuses.clear();
    s.BonusRects.clear();
    ResetBonusState(s);  // WallS and WallHeight keep their values
    ServeBall(s);
    ++s.Level;
    ++s.LevelsRead;
    PlaySound(s, Effect::Gong);
    AddToScore(s.Iq, int64_t{s.LevelIq} + 20);
    s.Window->SetTimerInterval(0);
    s.LevelIq = 0;
    ShowBetweenLevelMessages(s, true);
    if (s.LevelsRead == s.LevelCount) {
        s.LevelsRead = 0;
        ReopenLevelFile(s);
    }
    LoadLevel(s);
}

void RemoveBall(GameState& s, int16_t b) {
    if (s.BallCount() > 1) {
        RemoveAt(s.Balls, s.BallRects, b);
        return;
    }
    s.Balls.clear();
    s.BallRects.clear();
    ResetBonusState(s);
    if (s.BallsLeft >= 1) return;
    GameOver(s);
}

void GameOver(GameState& s) {
    s.Window->ShowMessage("Bohužel se ti nepodařilo systém zachránit...", "SYSTEM FAILURE",
                          MessageButtons::Ok);
    AddToScore(s.Iq, s.LevelIq);
    EnterHallOfFame(s);
    DeletePlayer(s, s.CurrentPlayer);
    s.Window->ShowHallOfFame();
    s.Unloaded = kTrue;
    s.Window->UnloadGameScreen();
}

}  // namespace ZapModule
