// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A tiny additive synthesiser for the game's sound effects: each effect is a mix of voices (a
// waveform whose pitch glides exponentially, shaped by a short attack and an exponential decay),
// faded in and out so that no effect starts or ends with a click, scaled to a chosen peak and
// written as 16-bit mono PCM.

#include <cstdint>
#include <vector>

namespace ZapAssets {

constexpr int kSampleRate = 22050;

enum class Waveform { Sine, Triangle, Noise };

struct Voice {
    Waveform wave = Waveform::Sine;
    double startHz = 440;     // pitch at the voice's start (for noise: the low-pass cut-off)
    double endHz = 440;       // pitch at its end; the glide is exponential
    double amplitude = 1;     // relative loudness within the effect
    double offset = 0;        // seconds from the effect's start to the voice's start
    double attack = 0.002;    // seconds of linear rise
    double decay = 0.1;       // seconds for the level to fall to 1/e after the attack
    double length = 0.2;      // seconds the voice lasts (the glide spans this)
    double vibratoHz = 0;     // pitch wobble rate, 0 for none
    double vibratoDepth = 0;  // pitch wobble as a fraction of the pitch
};

struct Effect {
    std::vector<Voice> voices;
    double length = 0.2;  // seconds; the effect is cut here after a fade-out
    double peak = 0.5;    // loudest sample as a fraction of full scale
    uint64_t seed = 1;    // seeds the noise voices
};

// The effect's samples in -1..1, faded in over 3 ms and out over the last 12 ms, scaled so that
// the loudest sample is exactly the effect's peak.
std::vector<double> Render(const Effect& effect);

// A RIFF WAVE file: PCM, 16 bits, one channel, kSampleRate samples per second.
std::vector<uint8_t> EncodeWav(const std::vector<double>& samples);

}  // namespace ZapAssets
