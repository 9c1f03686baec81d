// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Writes test sounds: 16-bit mono PCM WAV files holding a sine tone with short fades, and reads
// back what SDL's disk audio driver captured (raw 16-bit little-endian stereo).

#include <cmath>
#include <cstdint>
#include <fstream>
#include <numbers>
#include <ostream>
#include <string>
#include <vector>

namespace ZapTest {

struct Tone {
    double Frequency = 1000;
    double Amplitude = 0.3;  // of full scale
    double Seconds = 0.2;
    int Rate = 44100;
};

inline void Put16(std::ostream& out, uint16_t v) {
    out.put(char(v & 0xFF)).put(char(v >> 8));
}

inline void Put32(std::ostream& out, uint32_t v) {
    Put16(out, uint16_t(v & 0xFFFF));
    Put16(out, uint16_t(v >> 16));
}

// The header of a 16-bit mono PCM WAV file of `frames` frames at `rate` frames a second; the
// samples follow it.
inline void WriteWavHeader(std::ostream& out, uint32_t rate, uint32_t frames) {
    out << "RIFF";
    Put32(out, 36 + frames * 2);
    out << "WAVEfmt ";
    Put32(out, 16);
    Put16(out, 1);  // PCM
    Put16(out, 1);  // mono
    Put32(out, rate);
    Put32(out, rate * 2);  // bytes a second
    Put16(out, 2);         // bytes a frame
    Put16(out, 16);        // bits a sample
    out << "data";
    Put32(out, frames * 2);
}

inline void WriteToneWav(const std::string& path, const Tone& tone) {
    const auto frames = static_cast<uint32_t>(tone.Seconds * tone.Rate);
    const uint32_t fade = static_cast<uint32_t>(0.005 * tone.Rate);
    std::ofstream out(path, std::ios::binary);
    WriteWavHeader(out, uint32_t(tone.Rate), frames);
    for (uint32_t i = 0; i < frames; ++i) {
        double gain = 1.0;
        if (i < fade) gain = double(i) / fade;
        if (frames - 1 - i < fade) gain = double(frames - 1 - i) / fade;
        const double x =
            gain * tone.Amplitude * std::sin(2 * std::numbers::pi * tone.Frequency * i / tone.Rate);
        Put16(out, uint16_t(int16_t(std::lround(x * 32767))));
    }
}

// The left channel of a raw 16-bit stereo capture.
inline std::vector<int16_t> ReadCaptureLeft(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<int16_t> left;
    unsigned char frame[4];
    while (in.read(reinterpret_cast<char*>(frame), sizeof frame))
        left.push_back(int16_t(frame[0] | (frame[1] << 8)));
    return left;
}

}  // namespace ZapTest
