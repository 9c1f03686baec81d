// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/asset_generator/sound_effects.h"

namespace ZapAssets {
namespace {

using W = Waveform;

// A brick bursts: a dull low thump under a puff of dark noise.
Effect Burst() {
    Effect e;
    e.length = 0.32;
    e.peak = 0.70;
    e.seed = 101;
    e.voices = {
        {.wave = W::Sine,
         .startHz = 170,
         .endHz = 55,
         .amplitude = 1.0,
         .decay = 0.09,
         .length = 0.32},
        {.wave = W::Noise,
         .startHz = 1400,
         .endHz = 300,
         .amplitude = 1.4,
         .attack = 0.001,
         .decay = 0.05,
         .length = 0.30},
    };
    return e;
}

// A ball is lost: a soft falling wail with a slow wobble.
Effect Loss() {
    Effect e;
    e.length = 0.85;
    e.peak = 0.55;
    e.seed = 202;
    e.voices = {
        {.wave = W::Triangle,
         .startHz = 440,
         .endHz = 110,
         .amplitude = 1.0,
         .attack = 0.02,
         .decay = 0.45,
         .length = 0.85,
         .vibratoHz = 7,
         .vibratoDepth = 0.03},
        {.wave = W::Sine,
         .startHz = 220,
         .endHz = 55,
         .amplitude = 0.6,
         .attack = 0.02,
         .decay = 0.5,
         .length = 0.85},
    };
    return e;
}

// An edge bounce, heard constantly: a quiet, round, very short tick.
Effect Tick() {
    Effect e;
    e.length = 0.035;
    e.peak = 0.28;
    e.seed = 303;
    e.voices = {
        {.wave = W::Sine,
         .startHz = 720,
         .endHz = 600,
         .amplitude = 1.0,
         .attack = 0.001,
         .decay = 0.008,
         .length = 0.035},
    };
    return e;
}

// A bonus is collected or runs out: three quick rising chimes.
Effect Chime() {
    Effect e;
    e.length = 0.50;
    e.peak = 0.50;
    e.seed = 404;
    const double notes[] = {523.25, 659.26, 783.99};
    for (int i = 0; i < 3; ++i) {
        const double hz = notes[i];
        const double at = 0.065 * i;
        e.voices.push_back({.wave = W::Sine,
                            .startHz = hz,
                            .endHz = hz,
                            .amplitude = 1.0,
                            .offset = at,
                            .attack = 0.004,
                            .decay = 0.14,
                            .length = 0.5 - at});
        e.voices.push_back({.wave = W::Sine,
                            .startHz = 2 * hz,
                            .endHz = 2 * hz,
                            .amplitude = 0.2,
                            .offset = at,
                            .attack = 0.004,
                            .decay = 0.06,
                            .length = 0.5 - at});
    }
    return e;
}

// A new level begins: a deep gong with inharmonic partials that fade at different rates.
Effect Gong() {
    Effect e;
    e.length = 2.2;
    e.peak = 0.60;
    e.seed = 505;
    const double base = 98.0;
    const double ratio[] = {1.0, 1.52, 2.0, 2.74, 3.41, 4.07};
    const double level[] = {1.0, 0.6, 0.45, 0.3, 0.18, 0.1};
    const double decay[] = {0.9, 0.7, 0.55, 0.4, 0.3, 0.2};
    for (int i = 0; i < 6; ++i) {
        const double hz = base * ratio[i];
        e.voices.push_back({.wave = W::Sine,
                            .startHz = hz * 1.01,
                            .endHz = hz,
                            .amplitude = level[i],
                            .attack = 0.006,
                            .decay = decay[i],
                            .length = 2.2,
                            .vibratoHz = 3.0 + i,
                            .vibratoDepth = 0.002});
    }
    e.voices.push_back({.wave = W::Noise,
                        .startHz = 600,
                        .endHz = 200,
                        .amplitude = 0.5,
                        .attack = 0.001,
                        .decay = 0.03,
                        .length = 0.2});
    return e;
}

// A ball meets the bat: a short wooden tock.
Effect Tock() {
    Effect e;
    e.length = 0.13;
    e.peak = 0.60;
    e.seed = 606;
    e.voices = {
        {.wave = W::Sine,
         .startHz = 420,
         .endHz = 300,
         .amplitude = 1.0,
         .attack = 0.001,
         .decay = 0.035,
         .length = 0.13},
        {.wave = W::Sine,
         .startHz = 1050,
         .endHz = 900,
         .amplitude = 0.25,
         .attack = 0.001,
         .decay = 0.012,
         .length = 0.06},
        {.wave = W::Noise,
         .startHz = 2500,
         .endHz = 1500,
         .amplitude = 0.5,
         .attack = 0.0005,
         .decay = 0.004,
         .length = 0.03},
    };
    return e;
}

// A ball rings a steel plate: a short metallic clang kept below 2.2 kHz.
Effect Clang() {
    Effect e;
    e.length = 0.42;
    e.peak = 0.48;
    e.seed = 707;
    const double base = 587.0;
    const double ratio[] = {1.0, 1.91, 2.68, 3.62};
    const double level[] = {1.0, 0.55, 0.35, 0.15};
    const double decay[] = {0.16, 0.11, 0.07, 0.05};
    for (int i = 0; i < 4; ++i) {
        e.voices.push_back({.wave = W::Sine,
                            .startHz = base * ratio[i],
                            .endHz = base * ratio[i] * 0.995,
                            .amplitude = level[i],
                            .attack = 0.001,
                            .decay = decay[i],
                            .length = 0.42});
    }
    e.voices.push_back({.wave = W::Noise,
                        .startHz = 3000,
                        .endHz = 2000,
                        .amplitude = 0.3,
                        .attack = 0.0005,
                        .decay = 0.005,
                        .length = 0.03});
    return e;
}

// A double brick cracks, play starts, the game is left: a firm, hollow knock.
Effect Knock() {
    Effect e;
    e.length = 0.20;
    e.peak = 0.62;
    e.seed = 808;
    e.voices = {
        {.wave = W::Sine,
         .startHz = 200,
         .endHz = 120,
         .amplitude = 1.0,
         .attack = 0.001,
         .decay = 0.06,
         .length = 0.20},
        {.wave = W::Triangle,
         .startHz = 400,
         .endHz = 260,
         .amplitude = 0.35,
         .attack = 0.001,
         .decay = 0.03,
         .length = 0.12},
        {.wave = W::Noise,
         .startHz = 1800,
         .endHz = 800,
         .amplitude = 0.6,
         .attack = 0.0005,
         .decay = 0.008,
         .length = 0.05},
    };
    return e;
}

}  // namespace

std::vector<NamedEffect> GameSoundEffects() {
    return {
        {"bum.wav", Burst()},     {"die.wav", Loss()},   {"dot.wav", Tick()},
        {"effect2.wav", Chime()}, {"gong.wav", Gong()},  {"palka.wav", Tock()},
        {"steel.wav", Clang()},   {"wall.wav", Knock()},
    };
}

}  // namespace ZapAssets
