// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Writes test sounds: WAV files of any format chunk put together chunk by chunk, 16-bit mono PCM
// files holding a sine tone with short fades, and reads back what SDL's disk audio driver
// captured (raw 16-bit little-endian stereo).

#include <cmath>
#include <cstdint>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

#include "storage/byte_io.h"
#include "tests/lib/test_files.h"

namespace ZapTest {

inline void Put16(std::vector<uint8_t>& out, int v) {
    ZapModule::Append16(out, static_cast<int16_t>(v));
}

inline void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, static_cast<int>(v & 0xFFFF));
    Put16(out, static_cast<int>(v >> 16));
}

// The fields of a format chunk; 16-bit mono PCM by default.
struct WavFormat {
    int Tag = 1, Channels = 1, BlockAlign = 2, Bits = 16;
    uint32_t Rate = 8000;
    std::vector<uint8_t> Extra{};  // bytes after the 16 of every format
};

inline std::vector<uint8_t> FmtChunk(const WavFormat& f) {
    std::vector<uint8_t> chunk{'f', 'm', 't', ' '};
    Put32(chunk, static_cast<uint32_t>(16 + f.Extra.size()));
    Put16(chunk, f.Tag);
    Put16(chunk, f.Channels);
    Put32(chunk, f.Rate);
    Put32(chunk, f.Rate * static_cast<uint32_t>(f.BlockAlign));
    Put16(chunk, f.BlockAlign);
    Put16(chunk, f.Bits);
    chunk.insert(chunk.end(), f.Extra.begin(), f.Extra.end());
    if (f.Extra.size() % 2 != 0) chunk.push_back(0);
    return chunk;
}

// A RIFF WAVE file of the chunks and then the data chunk.
inline std::vector<uint8_t> Wav(const std::vector<std::vector<uint8_t>>& chunks,
                                const std::vector<uint8_t>& data) {
    std::vector<uint8_t> body{'W', 'A', 'V', 'E'};
    for (const auto& chunk : chunks) body.insert(body.end(), chunk.begin(), chunk.end());
    body.insert(body.end(), {'d', 'a', 't', 'a'});
    Put32(body, static_cast<uint32_t>(data.size()));
    body.insert(body.end(), data.begin(), data.end());
    std::vector<uint8_t> file{'R', 'I', 'F', 'F'};
    Put32(file, static_cast<uint32_t>(body.size()));
    file.insert(file.end(), body.begin(), body.end());
    return file;
}

inline std::vector<uint8_t> Wav(const WavFormat& f, const std::vector<uint8_t>& data) {
    return Wav({FmtChunk(f)}, data);
}

struct Tone {
    double Frequency = 1000;
    double Amplitude = 0.3;  // of full scale
    double Seconds = 0.2;
    int Rate = 44100;
};

inline void WriteToneWav(const std::string& path, const Tone& tone) {
    const auto frames = static_cast<uint32_t>(tone.Seconds * tone.Rate);
    const uint32_t fade = static_cast<uint32_t>(0.005 * tone.Rate);
    std::vector<uint8_t> samples;
    for (uint32_t i = 0; i < frames; ++i) {
        double gain = 1.0;
        if (i < fade) gain = double(i) / fade;
        if (frames - 1 - i < fade) gain = double(frames - 1 - i) / fade;
        const double x =
            gain * tone.Amplitude * std::sin(2 * std::numbers::pi * tone.Frequency * i / tone.Rate);
        Put16(samples, static_cast<int>(std::lround(x * 32767)));
    }
    ZapModule::testing::WriteBytes(path, Wav(WavFormat{.Rate = uint32_t(tone.Rate)}, samples));
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
