// SPDX-License-Identifier: GPL-3.0-or-later
// The eight generated sound effects: plain 16-bit PCM the sound component can play, short, faded
// in and out so they never click, audible but never harsh, and each one different.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "tests/tools/test_assets_data.h"

using namespace AssetTests;

namespace {

const char* const kEffects[] = {"bum", "die", "dot", "effect2", "gong", "palka", "steel", "wall"};

struct Wave {
    int rate = 0;
    std::vector<double> samples;  // -1..1
    double Seconds() const { return static_cast<double>(samples.size()) / rate; }
};

uint32_t Little(const std::vector<uint8_t>& b, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | b[at + i];
    return v;
}

// Reads a canonical RIFF WAVE file of 16-bit mono PCM; fails the test on anything else.
Wave ReadWave(const std::string& name) {
    const std::vector<uint8_t> b = ReadDataFile("sounds/" + name + ".wav");
    Wave w;
    EXPECT_GE(b.size(), 44u) << name;
    if (b.size() < 44) return w;
    EXPECT_EQ(std::memcmp(b.data(), "RIFF", 4), 0) << name;
    EXPECT_EQ(std::memcmp(b.data() + 8, "WAVEfmt ", 8), 0) << name;
    EXPECT_EQ(Little(b, 4, 4), b.size() - 8) << name;
    EXPECT_EQ(Little(b, 20, 2), 1u) << name << ": not PCM";
    EXPECT_EQ(Little(b, 22, 2), 1u) << name << ": not mono";
    EXPECT_EQ(Little(b, 34, 2), 16u) << name << ": not 16-bit";
    EXPECT_EQ(std::memcmp(b.data() + 36, "data", 4), 0) << name;
    w.rate = static_cast<int>(Little(b, 24, 4));
    const size_t bytes = std::min<size_t>(Little(b, 40, 4), b.size() - 44);
    for (size_t i = 0; i + 1 < bytes; i += 2)
        w.samples.push_back(static_cast<int16_t>(Little(b, 44 + i, 2)) / 32768.0);
    return w;
}

double Peak(const std::vector<double>& s, size_t from, size_t to) {
    double peak = 0;
    for (size_t i = from; i < to && i < s.size(); ++i) peak = std::max(peak, std::abs(s[i]));
    return peak;
}

double Rms(const std::vector<double>& s) {
    double sum = 0;
    for (double v : s) sum += v * v;
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
        EXPECT_EQ(w.samples.front(), 0.0);
        EXPECT_EQ(w.samples.back(), 0.0);
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
