// SPDX-License-Identifier: GPL-3.0-or-later
// What a game step pays for sound: Play of a decoded (cached) effect, Play of a file heard for
// the first time, Play when every channel is busy, and the per-step Update, all through the real
// loader and the real component library beside this program, on SDL's dummy audio driver.
//
//   sound_bench --benchmark_repetitions=10 --benchmark_report_aggregates_only=true

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "game/recording_window.h"
#include "platform/program_place.h"
#include "sound/component_loader.h"
#include "sound/sound.h"
#include "tests/sound/wav_writer.h"

namespace {

using namespace ZapModule;
namespace fs = std::filesystem;

constexpr int kFreshFiles = 200;  // files for the first-play measurement, each played once

// One open sound component for the whole run, with an effect in data/sounds and a folder of
// never-played copies of a typical effect.
class SoundRig {
  public:
    SoundRig()
        : folder_(fs::temp_directory_path() / ("zapwall_sound_bench_" + std::to_string(getpid()))) {
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        fs::create_directories(folder_ / "data" / "sounds");
        fs::create_directories(folder_ / "fresh");
        // A typical effect: half a second, 22.05 kHz mono, so the first play also converts rate.
        const ZapTest::Tone effect{
            .Frequency = 660, .Amplitude = 0.3, .Seconds = 0.5, .Rate = 22050};
        ZapTest::WriteToneWav((folder_ / "data" / "sounds" / "bum.wav").string(), effect);
        for (int i = 0; i < kFreshFiles; ++i) ZapTest::WriteToneWav(FreshFile(i), effect);

        s.Window = &window_;
        s.AppPath = folder_.string();
        s.DataFolder = (folder_ / "data").string();
        RegisterSound(s, ProgramFolder());
        SetUpSound(s, 0);
        for (int i = 0; i < 2000 && s.SoundPlayer &&
                        s.SoundPlayer->Query().find("device open,") == std::string::npos;
             ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ready_ = window_.Messages.empty() && s.SoundPlayer &&
                 s.SoundPlayer->Query().find("device open,") != std::string::npos;
    }
    ~SoundRig() {
        ShutDownSound(s);
        s.SoundPlayer.reset();
        UnregisterSound(s);
        fs::remove_all(folder_);
    }

    bool Ready() const { return ready_; }
    // Plays the effect until it comes from memory: its first Play hands the file to the
    // component's worker, which decodes it in the background.
    void Decode(Effect effect) {
        for (int i = 0; i < 2000; ++i) {
            PlaySound(s, effect);
            if (s.SoundHandles[size_t(effect)] >= 0) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        s.SoundPlayer->StopAll();
    }
    std::string FreshFile(int i) const {
        return (folder_ / "fresh" / ("effect" + std::to_string(i) + ".wav")).string();
    }

    GameState s;

  private:
    fs::path folder_;
    RecordingWindow window_;
    bool ready_ = false;
};

SoundRig& Rig() {
    static SoundRig rig;
    return rig;
}

// Play of a decoded effect on a free channel; the channels are freed (untimed) every 16 plays.
void BM_PlayCached(benchmark::State& state) {
    SoundRig& rig = Rig();
    if (!rig.Ready()) return state.SkipWithError("the sound component did not open");
    rig.Decode(Effect::Bum);
    int played = 0;
    for (auto _ : state) {
        PlaySound(rig.s, Effect::Bum);
        if (++played % 16 == 0) {
            state.PauseTiming();
            rig.s.SoundPlayer->StopAll();
            state.ResumeTiming();
        }
    }
    rig.s.SoundPlayer->StopAll();
}
BENCHMARK(BM_PlayCached);

// Play of a decoded effect when all sixteen channels are busy: the oldest sound gives way.
void BM_PlayCachedAllChannelsBusy(benchmark::State& state) {
    SoundRig& rig = Rig();
    if (!rig.Ready()) return state.SkipWithError("the sound component did not open");
    rig.Decode(Effect::Bum);
    for (int i = 0; i < 17; ++i) PlaySound(rig.s, Effect::Bum);
    for (auto _ : state) PlaySound(rig.s, Effect::Bum);
    rig.s.SoundPlayer->StopAll();
}
BENCHMARK(BM_PlayCachedAllChannelsBusy);

// The first Play of a file: handed to the component's worker, which reads, decodes and converts
// it from 22.05 to 44.1 kHz and starts it; the game's thread pays only for the hand-over.
void BM_PlayFirstTime(benchmark::State& state) {
    SoundRig& rig = Rig();
    if (!rig.Ready()) return state.SkipWithError("the sound component did not open");
    static int next = 0;
    for (auto _ : state) {
        if (next == kFreshFiles) return state.SkipWithError("out of fresh files");
        const std::string path = rig.FreshFile(next++);
        benchmark::DoNotOptimize(rig.s.SoundPlayer->Play(path, 0, -1));
        state.PauseTiming();
        rig.s.SoundPlayer->StopAll();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_PlayFirstTime)->Iterations(kFreshFiles / 10);

// The per-step request, with a few sounds playing.
void BM_Update(benchmark::State& state) {
    SoundRig& rig = Rig();
    if (!rig.Ready()) return state.SkipWithError("the sound component did not open");
    rig.Decode(Effect::Bum);
    for (int i = 0; i < 4; ++i) PlaySound(rig.s, Effect::Bum);
    for (auto _ : state) UpdateSound(rig.s);
    rig.s.SoundPlayer->StopAll();
}
BENCHMARK(BM_Update);

}  // namespace

BENCHMARK_MAIN();
