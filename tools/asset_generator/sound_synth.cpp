// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/asset_generator/sound_synth.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "tools/asset_generator/seeded_random.h"

namespace ZapAssets {
namespace {

constexpr double kFadeIn = 0.003;
constexpr double kFadeOut = 0.012;

double Wave(Waveform wave, double phase) {
    const double cycle = phase - std::floor(phase);
    if (wave == Waveform::Triangle) return 1.0 - 4.0 * std::abs(cycle - 0.5);
    return std::sin(2.0 * std::numbers::pi * cycle);
}

double Envelope(const Voice& v, double t) {
    if (t < v.attack) return t / v.attack;
    return std::exp(-(t - v.attack) / v.decay);
}

void AddVoice(const Voice& v, uint64_t seed, std::vector<double>& mix) {
    const int first = static_cast<int>(std::lround(v.offset * kSampleRate));
    const int count = static_cast<int>(std::lround(v.length * kSampleRate));
    SeededRandom random(seed);
    double phase = 0;
    double filtered = 0;  // one-pole low-pass state of a noise voice
    for (int i = 0; i < count && first + i < static_cast<int>(mix.size()); ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        double hz = v.startHz * std::pow(v.endHz / v.startHz, t / v.length);
        if (v.vibratoHz > 0)
            hz *= 1.0 + v.vibratoDepth * std::sin(2.0 * std::numbers::pi * v.vibratoHz * t);
        double sample;
        if (v.wave == Waveform::Noise) {
            const double k = 1.0 - std::exp(-2.0 * std::numbers::pi * hz / kSampleRate);
            filtered += k * (random.Between(-1.0, 1.0) - filtered);
            sample = filtered;
        } else {
            phase += hz / kSampleRate;
            sample = Wave(v.wave, phase);
        }
        mix[first + i] += v.amplitude * Envelope(v, t) * sample;
    }
}

}  // namespace

std::vector<double> Render(const Effect& effect) {
    std::vector<double> mix(static_cast<size_t>(std::lround(effect.length * kSampleRate)), 0.0);
    uint64_t seed = effect.seed;
    for (const Voice& v : effect.voices) AddVoice(v, seed++, mix);

    const double n = static_cast<double>(mix.size());
    const double fadeIn = kFadeIn * kSampleRate;
    const double fadeOut = kFadeOut * kSampleRate;
    for (size_t i = 0; i < mix.size(); ++i) {
        const double fromStart = static_cast<double>(i);
        const double toEnd = n - 1.0 - static_cast<double>(i);
        mix[i] *= std::clamp(std::min(fromStart / fadeIn, toEnd / fadeOut), 0.0, 1.0);
    }

    double loudest = 0;
    for (double s : mix) loudest = std::max(loudest, std::abs(s));
    if (loudest > 0)
        for (double& s : mix) s *= effect.peak / loudest;
    return mix;
}

std::vector<uint8_t> EncodeWav(const std::vector<double>& samples) {
    const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
    std::vector<uint8_t> out;
    out.reserve(44 + dataBytes);
    auto put16 = [&out](uint32_t v) {
        out.push_back(static_cast<uint8_t>(v & 0xFF));
        out.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
    };
    auto put32 = [&put16](uint32_t v) {
        put16(v & 0xFFFF);
        put16(v >> 16);
    };
    auto tag = [&out](const char* four) {
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(four[i]));
    };

    tag("RIFF");
    put32(36 + dataBytes);
    tag("WAVE");
    tag("fmt ");
    put32(16);
    put16(1);  // PCM
    put16(1);  // mono
    put32(kSampleRate);
    put32(kSampleRate * 2);  // bytes per second
    put16(2);                // bytes per sample frame
    put16(16);               // bits per sample
    tag("data");
    put32(dataBytes);
    for (double s : samples) {
        const long v = std::lround(std::clamp(s, -1.0, 1.0) * 32767.0);
        put16(static_cast<uint32_t>(static_cast<uint16_t>(static_cast<int16_t>(v))));
    }
    return out;
}

}  // namespace ZapAssets
