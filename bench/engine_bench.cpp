// SPDX-License-Identifier: GPL-3.0-or-later
// One game step on a busy field, with and without its drawing pass, beside the plain fill and
// copy of the field that any drawing pass must at least cost; the same with held keys, with and
// without the game being recorded; and a long recorded game run again headless.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <vector>

#include "game/input.h"
#include "game/level_flow.h"
#include "game/recording_window.h"
#include "game/replay.h"
#include "game/startup.h"
#include "game/tick.h"
#include "pictures/picture_loader.h"
#include "storage/memory_data_files.h"

namespace ZapModule {
namespace {

// A game on the build's data folder, its window and files in memory.
void UseBuildData(GameState& s, RecordingWindow& window, MemoryDataFiles& files) {
    s.AppPath = ZAPWALL_BUILD_DIR;
    s.DataFolder = s.AppPath + "/data";
    s.Window = &window;
    s.Files = &files;
}

// A state on the shipped data folder: 160 bricks, 3 balls, 5 movers, 10 explosions, the wall
// standing, and the same again every few thousand steps, so that every step measured is busy.
class BusyField {
  public:
    explicit BusyField(bool draw) {
        UseBuildData(s, window, files);
        window.SoundSwitch = false;
        if (draw) s.Field = Surface(kFieldWidth, kFieldHeight);
        if (!LoadGameData(s, LoadPicture).Refusal.empty()) std::abort();
        StartGameAs(s, PlayerRecord{"Bench", 0, 11, 3}, 1);
        window.Interval = 1;
        s.Bricks.clear();
        s.BrickRects.clear();
        for (int16_t row = 0; row < 8; ++row)
            for (int16_t col = 0; col < 20; ++col) {
                BrickRecord b;
                b.X = static_cast<int16_t>(col * 20);
                b.Y = static_cast<int16_t>(125 + row * 25);
                b.Type = 2;  // steel: hits flash it, and the field stays busy
                b.Picture = static_cast<int16_t>(row % 4);
                s.Bricks.push_back(b);
                s.BrickRects.push_back({b.X, b.Y, b.X + 20, b.Y + 25});
            }
        s.Balls.clear();
        for (int i = 0; i < 3; ++i) {
            BallRecord ball;
            ball.X = 100.0f + static_cast<float>(40 * i);
            ball.Y = 20.0f + static_cast<float>(10 * i);
            ball.Dx = 2.5f;
            ball.Dy = 1.5f;
            s.Balls.push_back(ball);
        }
        s.BallRects.assign(3, Rect{});
        for (int i = 0; i < 5; ++i) {
            MoverRecord m;
            m.X = 60.0f * static_cast<float>(i);
            m.Y = 30.0f;
            m.Dx = 0.4f;
            m.Dy = 0.3f;
            m.Kind = static_cast<int16_t>(i == 1 ? 0 : i);
            s.Movers.push_back(m);
        }
        s.MoverRects.assign(5, Rect{});
        s.WallOn = kTrue;
        s.WallS = 1;
        s.Random.UseSequence({0.5f});
        start = Snapshot();
    }

    void Reset() {
        s.Bricks = start.Bricks;
        s.BrickRects = start.BrickRects;
        s.Balls = start.Balls;
        s.BallRects = start.BallRects;
        s.Movers = start.Movers;
        s.MoverRects = start.MoverRects;
        s.Explosions.assign(10, MoverRecord{});
        for (size_t i = 0; i < 10; ++i) {
            s.Explosions[i].Kind = 1;
            s.Explosions[i].X = static_cast<float>(30 * i);
            s.Explosions[i].Y = 400;
        }
    }

    RecordingWindow window;
    MemoryDataFiles files;
    GameState s;

  private:
    struct Parts {
        std::vector<BrickRecord> Bricks;
        std::vector<Rect> BrickRects;
        std::vector<BallRecord> Balls;
        std::vector<Rect> BallRects;
        std::vector<MoverRecord> Movers;
        std::vector<Rect> MoverRects;
    };
    Parts Snapshot() const {
        return {s.Bricks, s.BrickRects, s.Balls, s.BallRects, s.Movers, s.MoverRects};
    }
    Parts start;
};

// Explosions last a few steps; resetting every 8 steps keeps about ten of them playing.
constexpr int kStepsPerReset = 8;

// Steps on the busy field, drawn or not. With Keys a held key repeats about every third step, as
// at the default speed, each repeat delivered between two steps; with Record the game is recorded.
struct StepRun {
    bool Draw = true;
    bool Keys = false;
    bool Record = false;
};

void RunSteps(benchmark::State& state, StepRun run) {
    BusyField field(run.Draw);
    ReplayRecorder recorder;
    if (run.Record) {
        recorder.Begin(field.s, ReplayOrigin{}, [] {
            return std::chrono::duration_cast<std::chrono::milliseconds>(
                       std::chrono::steady_clock::now().time_since_epoch())
                .count();
        });
        field.s.Recorder = &recorder;
    }
    int sinceReset = kStepsPerReset;
    int step = 0;
    for (auto _ : state) {
        if (sinceReset == kStepsPerReset) {
            state.PauseTiming();
            field.Reset();
            sinceReset = 0;
            state.ResumeTiming();
        }
        if (run.Keys && ++step % 3 == 0) FieldKeyDown(field.s, step % 2 == 0 ? kKeyUp : kKeyDown);
        GameStep(field.s);
        ++sinceReset;
        benchmark::ClobberMemory();
    }
}

void BM_StepWithoutDrawing(benchmark::State& state) {
    RunSteps(state, {.Draw = false});
}
void BM_StepWithDrawing(benchmark::State& state) {
    RunSteps(state, {});
}

// The floor of any drawing pass: clear the 495 x 475 field and copy it once.
void BM_FieldMemsetAndMemcpy(benchmark::State& state) {
    std::vector<uint32_t> field(kFieldWidth * kFieldHeight), copy(field.size());
    for (auto _ : state) {
        std::memset(field.data(), 0, field.size() * sizeof(uint32_t));
        std::memcpy(copy.data(), field.data(), field.size() * sizeof(uint32_t));
        benchmark::DoNotOptimize(copy.data());
        benchmark::ClobberMemory();
    }
}

void BM_StepWithKeys(benchmark::State& state) {
    RunSteps(state, {.Keys = true});
}
void BM_StepWithKeysRecorded(benchmark::State& state) {
    RunSteps(state, {.Keys = true, .Record = true});
}

// A player with spare balls for ever, a Space every 200 steps (serves, resumes after each level):
// 60 000 steps through level switches and lost balls.
Replay RecordLongGame(int64_t steps) {
    RecordingWindow window;
    MemoryDataFiles files;
    GameState s;
    UseBuildData(s, window, files);
    window.SoundSwitch = false;
    s.Random.Seed(2024);
    const StartupResult loaded = LoadGameData(s, LoadPicture);
    if (!loaded.Refusal.empty()) std::abort();
    StartGameAs(s, PlayerRecord{"Bench", 0, 0, 32767}, 8000);
    ReplayRecorder recorder;
    int64_t iteration = 0;
    recorder.Begin(s, ReplayOrigin{2024, loaded.LevelsHash, loaded.AnimationsHash, "bench"},
                   [&] { return iteration * 10; });
    s.Recorder = &recorder;
    for (; s.Steps < steps && s.Unloaded != kTrue; ++iteration) {
        if (iteration % 200 == 0) FieldKeyDown(s, kKeySpace);
        if (window.Interval != 0 && s.Paused == kFalse) GameStep(s);
    }
    return recorder.Finish(s);
}

void BM_ReplayLongGame(benchmark::State& state) {
    const Replay replay = RecordLongGame(60000);
    for (auto _ : state) {
        state.PauseTiming();
        RecordingWindow window;
        MemoryDataFiles files;
        GameState s;
        UseBuildData(s, window, files);
        window.SoundSwitch = replay.Sound;
        s.Random.Seed(replay.Seed);
        if (!LoadGameData(s, LoadPicture).Refusal.empty()) std::abort();
        state.ResumeTiming();
        StartRecordedGame(s, replay);
        const ReplayRun run = RunRecordedGame(s, replay);
        if (!run.Divergence.empty()) std::abort();
        benchmark::DoNotOptimize(s.Iq);
    }
    state.counters["steps"] = static_cast<double>(replay.EndStep);
}

BENCHMARK(BM_StepWithoutDrawing);
BENCHMARK(BM_StepWithDrawing);
BENCHMARK(BM_FieldMemsetAndMemcpy);
BENCHMARK(BM_StepWithKeys);
BENCHMARK(BM_StepWithKeysRecorded);
BENCHMARK(BM_ReplayLongGame)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace ZapModule

BENCHMARK_MAIN();
