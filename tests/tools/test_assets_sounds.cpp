// SPDX-License-Identifier: GPL-3.0-or-later
// The eight generated sound effects: mono files the sound component plays, short, faded in and
// out so they never click, audible but never harsh, and each one different.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "sound/wav_check.h"
#include "tests/tools/test_assets_data.h"

using namespace AssetTests;

namespace {

const char* const kEffects[] = {"bum", "die", "dot", "effect2", "gong", "palka", "steel", "wall"};

struct Wave {
    int rate = 0;
    std::vector<float> samples;  // -1..1
    double Seconds() const { return static_cast<double>(samples.size()) / rate; }
};

// The effect as the sound component decodes it (its formats are WavRules' tests); the effects are
// mono.
Wave ReadWave(const std::string& name) {
    const std::optional<ZapModule::WavSound> sound =
        ZapModule::DecodeWav(ReadDataFile("sounds/" + name + ".wav"));
    EXPECT_TRUE(sound && sound->Channels == 1) << name;
    if (!sound) return {};
    return {sound->Rate, sound->Frames};
}

double Peak(const std::vector<float>& s, size_t from, size_t to) {
    double peak = 0;
    for (size_t i = from; i < to && i < s.size(); ++i)
        peak = std::max(peak, double(std::abs(s[i])));
    return peak;
}

double Rms(const std::vector<float>& s) {
    double sum = 0;
    for (const double v : s) sum += v * v;
    return std::sqrt(sum / static_cast<double>(std::max<size_t>(1, s.size())));
}

TEST(AssetSounds, EveryEffectIsShortCleanPcmThatFadesInAndOut) {
    for (const char* name : kEffects) {
        SCOPED_TRACE(name);
        const Wave w = ReadWave(name);
        ASSERT_TRUE(w.rate == 22050 || w.rate == 44100);
        ASSERT_FALSE(w.samples.empty());
        EXPECT_LE(w.Seconds(), 2.5);
        const double peak = Peak(w.samples, 0, w.samples.size());
        EXPECT_GE(peak, 0.15) << "too quiet to hear";
        EXPECT_LE(peak, 0.8) << "leaves no headroom";
        // Each sound rises from silence over more than a millisecond and has died away in its last
        // one: no click when a sound starts or stops.
        const size_t ms = static_cast<size_t>(w.rate / 1000);
        EXPECT_LE(Peak(w.samples, 0, ms), 0.4 * peak);
        EXPECT_LE(Peak(w.samples, w.samples.size() - ms, w.samples.size()), 0.02);
        EXPECT_EQ(w.samples.front(), 0.0f);
        EXPECT_EQ(w.samples.back(), 0.0f);
    }
}

TEST(AssetSounds, NoEffectIsShrill) {
    // Zero crossings per second, halved, approximate the dominant pitch; keep it low and round.
    for (const char* name : kEffects) {
        const Wave w = ReadWave(name);
        int crossings = 0;
        for (size_t i = 1; i < w.samples.size(); ++i)
            crossings += (w.samples[i - 1] < 0) != (w.samples[i] < 0);
        EXPECT_LT(crossings / 2.0 / w.Seconds(), 2000.0) << name;
    }
}

TEST(AssetSounds, EdgeBounceTickIsTheSoftestAndShortest) {
    const Wave dot = ReadWave("dot");
    EXPECT_LE(dot.Seconds(), 0.06);
    for (const char* name : kEffects) {
        if (std::string(name) == "dot") continue;
        const Wave other = ReadWave(name);
        EXPECT_LT(dot.Seconds(), other.Seconds()) << name;
        EXPECT_LT(Peak(dot.samples, 0, dot.samples.size()),
                  Peak(other.samples, 0, other.samples.size()))
            << name;
    }
}

TEST(AssetSounds, EffectsAreDistinct) {
    for (size_t i = 0; i < std::size(kEffects); ++i) {
        for (size_t j = i + 1; j < std::size(kEffects); ++j) {
            const Wave a = ReadWave(kEffects[i]), b = ReadWave(kEffects[j]);
            const bool sameLength = a.samples.size() == b.samples.size();
            EXPECT_FALSE(sameLength && std::abs(Rms(a.samples) - Rms(b.samples)) < 1e-3)
                << kEffects[i] << " sounds like " << kEffects[j];
        }
    }
}

}  // namespace
