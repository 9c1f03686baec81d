// SPDX-License-Identifier: GPL-3.0-or-later
// The real component library, loaded by the real loader from the program's folder, playing into
// SDL's disk audio driver: the captured samples show what a player would hear.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "platform/program_place.h"
#include "sound/component_loader.h"
#include "sound/sound.h"
#include "tests/lib/test_files.h"
#include "tests/sound/wav_writer.h"
#include "tests/storage/storage_test_support.h"

namespace ZapModule {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

constexpr int kRate = 44100;
constexpr int kSilence = 64;  // below this a captured sample counts as silence

// The part of a capture between its first and last audible sample.
struct Audible {
    size_t First = 0;
    size_t End = 0;  // one past the last audible sample
    double Seconds() const { return double(End - First) / kRate; }
};

Audible FindAudible(const std::vector<int16_t>& x) {
    Audible a;
    auto loud = [](int16_t v) { return std::abs(v) > kSilence; };
    const auto first = std::find_if(x.begin(), x.end(), loud);
    if (first == x.end()) return a;
    a.First = size_t(first - x.begin());
    a.End = size_t(x.rend() - std::find_if(x.rbegin(), x.rend(), loud));
    return a;
}

int Peak(const std::vector<int16_t>& x) {
    int peak = 0;
    for (int16_t v : x) peak = std::max(peak, std::abs(int(v)));
    return peak;
}

// The largest jump between neighbouring samples: a click shows as a jump far above what the
// tones themselves make.
int LargestStep(const std::vector<int16_t>& x) {
    int step = 0;
    for (size_t i = 1; i < x.size(); ++i) step = std::max(step, std::abs(x[i] - x[i - 1]));
    return step;
}

double Rms(const std::vector<int16_t>& x, size_t from, size_t to) {
    double sum = 0;
    for (size_t i = from; i < to; ++i) sum += double(x[i]) * x[i];
    return std::sqrt(sum / double(to - from));
}

class RealLibrary : public ::testing::Test, public testing::StorageFixture {
  protected:
    testing::TempFolder temp;
    fs::path folder{temp.Path()};
    std::string capture;

    void SetUp() override {
        fs::create_directories(folder / "data" / "sounds");
        capture = (folder / "capture.raw").string();
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", capture.c_str(), 1);
        s.AppPath = folder.string();
        s.DataFolder = (folder / "data").string();
        RegisterSound(s, ProgramFolder());
        ASSERT_THAT(window.Messages, IsEmpty());
    }

    void WriteEffect(Effect effect, const ZapTest::Tone& tone) {
        ZapTest::WriteToneWav(SoundPath(effect), tone);
    }
    std::string SoundPath(Effect effect) const {
        return (folder / "data" / "sounds" / std::string(kEffectFiles[size_t(effect)])).string();
    }

    // Polls Query until it mentions `state` (the device opens and closes in the background).
    bool WaitForDevice(const std::string& state) {
        return PollUntil(std::chrono::milliseconds(2), [&] {
            return s.SoundPlayer && s.SoundPlayer->Query().find(state) != std::string::npos;
        });
    }

    // Waits until the capture holds `seconds` of sound counted from its first audible sample.
    // The disk driver writes in real time, so this is as long as the sound itself.
    bool WaitForCapture(double seconds) {
        return WaitFor([&](const std::vector<int16_t>& left, const Audible& a) {
            return double(left.size() - a.First) / kRate >= seconds;
        });
    }

    // Waits until everything played has ended: a tenth of a second of silence after the sound.
    bool WaitUntilQuiet() {
        return WaitFor([&](const std::vector<int16_t>& left, const Audible& a) {
            return left.size() - a.End >= kRate / 10;
        });
    }

    template <typename Done>
    bool WaitFor(Done done) {
        return PollUntil(std::chrono::milliseconds(20), [&] {
            const auto left = ZapTest::ReadCaptureLeft(capture);
            const Audible a = FindAudible(left);
            return a.End > 0 && done(left, a);
        });
    }

    // Looks again every `pace` until `holds` does. The deadline only ends a test that would
    // otherwise hang: a machine busy with other work (or ThreadSanitizer) is only slower.
    template <typename Condition>
    static bool PollUntil(std::chrono::milliseconds pace, Condition holds) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!holds()) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            std::this_thread::sleep_for(pace);
        }
        return true;
    }

    // The two close handlers' shutdown, the release of the player and unregistration; then the
    // whole capture is on disk.
    std::vector<int16_t> Finish() {
        ShutDownSound(s);
        ShutDownSound(s);
        s.SoundPlayer.reset();
        UnregisterSound(s);
        EXPECT_THAT(window.Messages, IsEmpty());
        return ZapTest::ReadCaptureLeft(capture);
    }
};

TEST_F(RealLibrary, PlaysAWavOnFreeChannelsAndTheSamplesReachTheDevice) {
    // 22.05 kHz, so the file is converted to the device's rate on its first play.
    WriteEffect(Effect::Bum, {.Frequency = 1000, .Amplitude = 0.3, .Seconds = 0.2, .Rate = 22050});
    SetUpSound(s, 0);
    ASSERT_TRUE(WaitForDevice("device open,"));
    const std::string description = s.SoundPlayer->Query();
    EXPECT_THAT(description, HasSubstr("2d_snd"));
    EXPECT_THAT(description, HasSubstr("audio driver: disk"));
    EXPECT_THAT(description, HasSubstr("44100 Hz, 16 channels"));

    EXPECT_EQ(s.SoundPlayer->Play((folder / "missing.wav").string(), 0, -1), -1);
    // The first Play hands the file to the component's worker, which decodes and starts it.
    PlaySound(s, Effect::Bum);
    EXPECT_EQ(s.SoundHandles[0], -1);
    ASSERT_TRUE(WaitUntilQuiet());
    const auto firstPlay = ZapTest::ReadCaptureLeft(capture);

    // From then on it plays from memory, each on a channel of its own.
    PlaySound(s, Effect::Bum);
    const int16_t first = s.SoundHandles[0];
    PlaySound(s, Effect::Bum);  // the same file again, in the same step
    UpdateSound(s);
    EXPECT_GE(first, 1);
    EXPECT_LE(first, 16);
    EXPECT_GE(s.SoundHandles[0], 1);
    EXPECT_NE(s.SoundHandles[0], first) << "each sound gets a channel of its own";
    ASSERT_TRUE(WaitUntilQuiet());

    s.SoundPlayer->Close();
    ASSERT_TRUE(WaitForDevice("device closed"));
    EXPECT_EQ(s.SoundPlayer->Play(SoundPath(Effect::Bum).c_str(), 0, -1), -1);
    // Opened again, the device is opening from the call on, never still closed.
    s.SoundPlayer->Open(0, 0, 0, 16);
    EXPECT_THAT(s.SoundPlayer->Query(), ::testing::Not(HasSubstr("device closed")));
    ASSERT_TRUE(WaitForDevice("device open,"));
    Finish();

    const Audible a = FindAudible(firstPlay);
    const std::vector<int16_t> sound(firstPlay.begin() + a.First, firstPlay.begin() + a.End);
    EXPECT_GE(a.Seconds(), 0.2 - 0.005);
    EXPECT_LT(a.Seconds(), 0.3);
    EXPECT_GT(Peak(sound), 0.95 * 0.3 * 32767);
    EXPECT_LT(Peak(sound), 1.05 * 0.3 * 32767);
    int crossings = 0;
    for (size_t i = 1; i < sound.size(); ++i) crossings += (sound[i - 1] < 0) != (sound[i] < 0);
    EXPECT_NEAR(crossings / a.Seconds() / 2, 1000, 20) << "still a 1 kHz tone";
    EXPECT_LE(LargestStep(sound), 1.2 * Peak(sound) * 2 * M_PI * 1000 / kRate);
}

// A WAV file of 16-bit mono PCM with the given header values and `frames` silent frames.
void WriteSilentWav(const std::string& path, uint32_t rate, uint32_t frames) {
    testing::WriteBytes(path, ZapTest::Wav(ZapTest::WavFormat{.Rate = rate},
                                           std::vector<uint8_t>(size_t{frames} * 2, 0)));
}

TEST_F(RealLibrary, ABadSoundFileSilencesOnlyItsEffectAndNeverHoldsUpTheGame) {
    // A FIFO without a writer used to block Play for ever; a 1 Hz rate made the first Play take a
    // minute and gigabytes; a file beyond the limit took most of a second.
    ASSERT_EQ(::mkfifo(SoundPath(Effect::Bum).c_str(), 0644), 0);
    WriteSilentWav(SoundPath(Effect::Die), 1, 22050);
    WriteSilentWav(SoundPath(Effect::Dot), 44100, 44100 * 11);  // 11 s, beyond the length limit
    WriteEffect(Effect::Wall, {.Frequency = 500, .Amplitude = 0.3, .Seconds = 0.2});
    SetUpSound(s, 0);
    ASSERT_TRUE(WaitForDevice("device open,"));
    for (int round = 0; round < 2; ++round) {
        for (Effect bad : {Effect::Bum, Effect::Die, Effect::Dot}) {
            PlaySound(s, bad);
            EXPECT_EQ(s.SoundHandles[size_t(bad)], -1);
        }
    }
    PlaySound(s, Effect::Wall);  // decoded after the bad ones, by the same worker
    ASSERT_TRUE(WaitUntilQuiet());
    const Audible a = FindAudible(Finish());
    EXPECT_GE(a.Seconds(), 0.2 - 0.005);
    EXPECT_LT(a.Seconds(), 0.3) << "only the good effect was heard";
}

TEST_F(RealLibrary, EightEffectsStartedInOneStepPlayTogetherWithoutClicks) {
    const double frequencies[8] = {262, 330, 392, 494, 587, 698, 784, 988};
    for (size_t i = 0; i < 8; ++i)
        WriteEffect(Effect(i), {.Frequency = frequencies[i], .Amplitude = 0.1, .Seconds = 1.0});
    SetUpSound(s, 0);
    ASSERT_TRUE(WaitForDevice("device open,"));
    // Each first Play hands its file to the worker, which starts it once decoded.
    for (size_t i = 0; i < 8; ++i) PlaySound(s, Effect(i));
    ASSERT_TRUE(WaitUntilQuiet());

    const auto left = Finish();
    fs::copy_file(capture, std::string(ZAPWALL_CAPTURE_FOLDER) + "/eight_effects.raw",
                  fs::copy_options::overwrite_existing);  // kept for a look with sox
    const Audible a = FindAudible(left);
    const std::vector<int16_t> sound(left.begin() + a.First, left.begin() + a.End);
    // One after another they would take 8 s. Decoding on the worker delays the later ones a
    // little (by tens of milliseconds in a sanitizer build on a busy machine): they all play from
    // the moment the last one started until the first one ends.
    const size_t length = kRate;
    const size_t lastStart = a.End - length;
    const size_t firstEnd = a.First + length;
    ASSERT_LT(lastStart + kRate / 2, firstEnd) << "they overlap";
    // Eight unrelated tones of amplitude A add up to an RMS of A * sqrt(8 / 2).
    EXPECT_NEAR(Rms(left, lastStart + kRate / 100, firstEnd - kRate / 100), 0.1 * 32767 * 2,
                0.1 * 0.1 * 32767 * 2);
    EXPECT_LT(Peak(sound), 32767) << "no clipping";
    double steepest = 0;
    for (double f : frequencies) steepest += 0.1 * 32767 * 2 * M_PI * f / kRate;
    EXPECT_LE(LargestStep(sound), steepest);
    // The first and last 2 ms rise from and fall to silence.
    const size_t edge = kRate / 500;
    EXPECT_LT(Peak({sound.begin(), sound.begin() + edge}), 0.2 * 32767);
    EXPECT_LT(Peak({sound.end() - edge, sound.end()}), 0.2 * 32767);
}

TEST_F(RealLibrary, StopAllSilencesEveryChannelAtOnce) {
    WriteEffect(Effect::Gong, {.Frequency = 440, .Amplitude = 0.3, .Seconds = 2.0});
    SetUpSound(s, 0);
    ASSERT_TRUE(WaitForDevice("device open,"));
    PlaySound(s, Effect::Gong);
    PlaySound(s, Effect::Gong);
    ASSERT_TRUE(WaitForCapture(0.1));
    s.SoundPlayer->StopAll();
    ASSERT_TRUE(WaitUntilQuiet());
    const Audible a = FindAudible(Finish());
    EXPECT_GT(a.Seconds(), 0.05);
    EXPECT_LT(a.Seconds(), 1.0) << "not the whole 2 s";
}

TEST_F(RealLibrary, HiddenTuneOpensTheDeviceItselfAndPlays) {
    window.SoundSwitch = false;  // the tune does not ask
    PlayExtraTune(s);
    ASSERT_TRUE(WaitForCapture(1.0));
    EXPECT_THAT(s.SoundPlayer->Query(), HasSubstr("device open, 44100 Hz, 16 channels"));
    const auto left = Finish();
    const Audible a = FindAudible(left);
    EXPECT_GT(Rms(left, a.First, a.First + kRate), 0.05 * 32767) << "clearly audible";
    EXPECT_LT(Peak(left), 0.75 * 32767) << "with room for the effects";
}

}  // namespace
}  // namespace ZapModule
