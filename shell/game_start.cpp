// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/game_start.h"

#include <ctime>
#include <utility>

#include "game/kept_files.h"
#include "game/startup.h"
#include "shell/program_messages.h"
#include "storage/replay_folder.h"
#include "storage/replay_journal.h"

namespace ZapModule {

bool GameStart::Load(std::optional<uint32_t> seed, const PictureLoader& pictures) {
    seed_ = seed.value_or(RandomSource::ClockSeed());
    s_.Random.Seed(seed_);
    s_.Field = Surface(kFieldWidth, kFieldHeight);
    StartupResult loaded = LoadGameData(s_, pictures);
    if (!loaded.Refusal.empty()) {
        // Nothing has been written, and nothing will be.
        Refuse(DataRefusal(loaded.Refusal));
        return false;
    }
    levelsHash_ = loaded.LevelsHash;
    animationsHash_ = loaded.AnimationsHash;
    ShowBackground(std::move(loaded.Background));
    ShowTick(LoadTick(s_));
    return true;
}

std::string GameStart::SaveCutGame() {
    const CutReplay cut = SaveCutReplay(closing_.ReplayFolder);
    if (cut.Problem.empty()) return {};
    return "záznam přerušené hry nelze uložit: " + cut.Problem;
}

void GameStart::BeginRecording(ReplayRecorder::Clock millis) {
    const ReplayOrigin origin{seed_, levelsHash_, animationsHash_,
                              RecordedTime(std::time(nullptr))};
    recorder_.Begin(s_, origin, std::move(millis), closing_.ReplayFolder);
    s_.Recorder = &recorder_;
    closing_.Recorder = &recorder_;
}

std::optional<Replay> GameStart::OpenReplay(const std::string& file, const std::string& shownName,
                                            const std::function<bool(uint32_t seed)>& load) {
    ReplayParse parsed = ReadReplayFile(file);
    if (!parsed.Read) {
        Refuse(ReplayRefusal(shownName, parsed.Problem));
        return std::nullopt;
    }
    if (!load(parsed.Read->Seed)) return std::nullopt;
    if (const std::optional<std::string> dataFile =
            DifferingDataFile(*parsed.Read, s_, levelsHash_, animationsHash_)) {
        const bool set = *dataFile == "levels.ko" && !s_.LevelsFile.empty();
        Refuse(ReplayRefusal(
            shownName, OtherDataFile(*dataFile, set ? s_.LevelsFile : DataPath(s_, *dataFile))));
        return std::nullopt;
    }
    return std::move(parsed.Read);
}

}  // namespace ZapModule
