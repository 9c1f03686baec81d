// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// WAV files, judged and decoded in one place: the sound component plays exactly the files
// WavProblem lets through (it decodes them with DecodeWav, which cannot fail on them), and
// `zapwall-data check` names the files the game would leave silent by the same rules. The
// formats: PCM of 8, 16, 24 and 32 bits, 32-bit float, A-law, µ-law (also in the extensible
// header), IMA ADPCM and MS ADPCM. Plain C++, shared by the engine and the component library.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ZapModule {

struct WavFacts {
    int32_t Channels = 0;
    int32_t Rate = 0;    // frames per second
    double Seconds = 0;  // the length the data chunk gives, at most
};

// Why the component would not play this WAV file, in Czech ("vzorkovací frekvence 1 Hz je mimo
// 4000 až 192000 Hz"); empty when it may. Fills `facts` as far as the header goes.
std::string WavProblem(const std::vector<uint8_t>& bytes, WavFacts* facts = nullptr);

struct WavSound {
    int32_t Channels = 0;
    int32_t Rate = 0;
    std::vector<float> Frames;  // interleaved channels, in [-1, 1]
};

// The sound's samples; nothing exactly when WavProblem refuses the file. A block cut short at
// the end of the data is left out.
std::optional<WavSound> DecodeWav(const std::vector<uint8_t>& bytes);

}  // namespace ZapModule
