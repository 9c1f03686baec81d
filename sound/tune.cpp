// SPDX-License-Identifier: GPL-3.0-or-later
#include "sound/tune.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace ZapSound {

namespace {

struct Note {
    int Key;      // MIDI key number, 69 = A4 = 440 Hz
    int Eighths;  // length in eighth notes
};

constexpr double kEighthSeconds = 0.15;
constexpr double kRingOutSeconds = 0.6;

// Four bars in G major: a rising call, its answer, a run up to the top and home again.
constexpr Note kMelody[] = {
    {74, 1}, {79, 1}, {83, 1}, {81, 1}, {79, 2}, {74, 2},                    // D G B A G D
    {76, 1}, {79, 1}, {81, 1}, {83, 1}, {81, 2}, {78, 2},                    // E G A B A F#
    {79, 1}, {83, 1}, {86, 1}, {84, 1}, {83, 1}, {81, 1}, {79, 1}, {76, 1},  // G B D C B A G E
    {78, 1}, {81, 1}, {79, 6},                                               // F# A G
};
constexpr Note kBass[] = {
    {43, 4}, {50, 4},  // G  D
    {40, 4}, {38, 4},  // E  D
    {43, 4}, {48, 4},  // G  C
    {50, 2}, {43, 6},  // D  G
};

double Frequency(int key) {
    return 440.0 * std::pow(2.0, (key - 69) / 12.0);
}

// Adds one voice's notes to `out`. Each note has a short attack, decays like a struck bell or
// string, and fades out over a few milliseconds after its written length.
template <size_t N>
void AddVoice(std::vector<float>& out, const Note (&notes)[N], int rate, double decaySeconds,
              const double (&harmonics)[3], float volume) {
    const double attack = 0.004 * rate;
    const double release = 0.04 * rate;
    size_t start = 0;
    for (const Note& note : notes) {
        const size_t held = static_cast<size_t>(note.Eighths * kEighthSeconds * rate);
        const double heldSamples = static_cast<double>(held);
        const size_t end = std::min(out.size(), start + held + static_cast<size_t>(release));
        const double w = 2.0 * std::numbers::pi * Frequency(note.Key) / rate;
        const double decayStep = std::exp(-1.0 / (decaySeconds * rate));
        double decay = 1.0;
        for (size_t i = start; i < end; ++i, decay *= decayStep) {
            const double t = static_cast<double>(i - start);
            double envelope = std::min(1.0, t / attack) * decay;
            if (t > heldSamples) envelope *= 1.0 - (t - heldSamples) / release;
            // The second and third harmonics from the first: sin 2x = 2 sin x cos x and
            // sin 3x = sin x (3 - 4 sin^2 x).
            const double s = std::sin(w * t);
            const double c = std::cos(w * t);
            const double wave =
                harmonics[0] * s + harmonics[1] * 2 * s * c + harmonics[2] * s * (3 - 4 * s * s);
            out[i] += static_cast<float>(volume * envelope * wave);
        }
        start += held;
    }
}

}  // namespace

std::vector<float> ComposeTune(int rate) {
    const size_t frames = static_cast<size_t>((kTuneSeconds + kRingOutSeconds) * rate);
    std::vector<float> melody(frames, 0.0f);
    std::vector<float> bass(frames, 0.0f);
    AddVoice(melody, kMelody, rate, 0.4, {1.0, 0.35, 0.15}, 0.5f);
    AddVoice(bass, kBass, rate, 0.9, {1.0, 0.0, 0.11}, 0.35f);

    // An echo two eighths behind the melody, mostly on the right.
    const size_t delay = static_cast<size_t>(2 * kEighthSeconds * rate);
    std::vector<float> echo(frames, 0.0f);
    for (size_t i = delay; i < frames; ++i) echo[i] = melody[i - delay] + 0.35f * echo[i - delay];

    std::vector<float> stereo(frames * 2);
    float peak = 0.0f;
    for (size_t i = 0; i < frames; ++i) {
        stereo[2 * i] = melody[i] + bass[i] + 0.2f * echo[i];
        stereo[2 * i + 1] = 0.8f * melody[i] + bass[i] + 0.45f * echo[i];
        peak = std::max({peak, std::abs(stereo[2 * i]), std::abs(stereo[2 * i + 1])});
    }
    // About -3 dBFS at the loudest point, leaving room for effects playing at the same time.
    const float gain = peak > 0.0f ? 0.7f / peak : 1.0f;
    for (float& sample : stereo) sample *= gain;
    return stereo;
}

}  // namespace ZapSound
