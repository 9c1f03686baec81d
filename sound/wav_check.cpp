// SPDX-License-Identifier: GPL-3.0-or-later
#include "sound/wav_check.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "values/data_limits.h"

namespace ZapModule {

namespace {

enum FormatTag : uint16_t {
    kPcm = 0x0001,
    kMsAdpcm = 0x0002,
    kFloat = 0x0003,
    kALaw = 0x0006,
    kMuLaw = 0x0007,
    kImaAdpcm = 0x0011,
    kExtensible = 0xFFFE,
};

// The bytes of an extensible format's sub-format after its 16-bit tag: the base GUID
// xxxx0000-0000-0010-8000-00AA00389B71 as a file stores it.
constexpr std::array<uint8_t, 14> kBaseGuidTail{0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                                0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

uint32_t Le32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
uint16_t Le16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}
int16_t Signed16(const uint8_t* p) {
    return static_cast<int16_t>(Le16(p));
}

// A file judged: its format as the decoder reads it and where its data lies. Every rule the
// decoder relies on is checked here, so that a file let through always decodes.
struct Parsed {
    std::string Problem;
    uint16_t Tag = 0;
    int32_t Channels = 0, Rate = 0;
    uint16_t BlockAlign = 0, Bits = 0;
    int32_t FramesPerBlock = 1;         // ADPCM blocks; 1 for the plain formats
    std::vector<int16_t> Coefficients;  // MS ADPCM: pairs
    const uint8_t* Data = nullptr;
    uint64_t DataBytes = 0;
    double Frames = 0;
};

std::string Unsupported(uint16_t tag, uint16_t bits) {
    return "nepodporovaný formát zvuku (" + std::to_string(tag) + ", " + std::to_string(bits) +
           " bitů)";
}

// The layout rules of each format: the block size the sample size gives, and for ADPCM the
// block's frames. Empty when the format is one the decoder reads.
std::string FormatProblem(Parsed& p, const uint8_t* fmt, uint64_t fmtSize) {
    const uint16_t channels = static_cast<uint16_t>(p.Channels);
    switch (p.Tag) {
        case kPcm:
            if (p.Bits != 8 && p.Bits != 16 && p.Bits != 24 && p.Bits != 32)
                return Unsupported(p.Tag, p.Bits);
            break;
        case kFloat:
            if (p.Bits != 32) return Unsupported(p.Tag, p.Bits);
            break;
        case kALaw:
        case kMuLaw:
            if (p.Bits != 8) return Unsupported(p.Tag, p.Bits);
            break;
        case kImaAdpcm: {
            // Each channel: a 4-byte header, then 4-byte groups of eight samples.
            if (p.Bits != 4) return Unsupported(p.Tag, p.Bits);
            if (p.BlockAlign < 4 * channels || (p.BlockAlign - 4 * channels) % (4 * channels) != 0)
                return "velikost bloku ADPCM " + std::to_string(p.BlockAlign) +
                       " neodpovídá počtu kanálů";
            p.FramesPerBlock = 1 + (p.BlockAlign - 4 * channels) * 2 / channels;
            if (fmtSize < 20 || Le16(fmt + 18) != p.FramesPerBlock)
                return "počet vzorků v bloku ADPCM neodpovídá velikosti bloku";
            return {};
        }
        case kMsAdpcm: {
            // Each channel: a 7-byte header, then a nibble a sample; the coefficients follow the
            // format.
            if (p.Bits != 4) return Unsupported(p.Tag, p.Bits);
            if (channels > 2) return "MS ADPCM má nejvýše dva kanály";
            if (p.BlockAlign < 7 * channels)
                return "velikost bloku ADPCM " + std::to_string(p.BlockAlign) +
                       " neodpovídá počtu kanálů";
            p.FramesPerBlock = 2 + (p.BlockAlign - 7 * channels) * 2 / channels;
            if (fmtSize < 22 || Le16(fmt + 18) != p.FramesPerBlock)
                return "počet vzorků v bloku ADPCM neodpovídá velikosti bloku";
            const uint16_t count = Le16(fmt + 20);
            if (count < 7 || count > 256 || fmtSize < 22 + uint64_t{4} * count)
                return "koeficienty ADPCM chybí nebo je jich špatný počet";
            for (uint16_t k = 0; k < 2 * count; ++k)
                p.Coefficients.push_back(Signed16(fmt + 22 + 2 * k));
            return {};
        }
        default:
            return Unsupported(p.Tag, p.Bits);
    }
    if (uint32_t{p.BlockAlign} != uint32_t{channels} * p.Bits / 8)
        return "velikost bloku " + std::to_string(p.BlockAlign) + " neodpovídá formátu zvuku";
    return {};
}

Parsed Parse(const std::vector<uint8_t>& bytes) {
    Parsed p;
    const auto refuse = [&p](std::string problem) {
        p.Problem = std::move(problem);
        return p;
    };
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 ||
        std::memcmp(bytes.data() + 8, "WAVE", 4) != 0)
        return refuse("není to zvuk WAV");
    const uint8_t* fmt = nullptr;
    uint64_t fmtSize = 0;
    for (size_t at = 12; at + 8 <= bytes.size();) {
        const uint8_t* id = &bytes[at];
        const uint64_t size = Le32(&bytes[at + 4]);
        const uint8_t* body = &bytes[at + 8];
        const uint64_t present = std::min<uint64_t>(size, bytes.size() - at - 8);
        if (std::memcmp(id, "fmt ", 4) == 0) {
            if (fmt != nullptr) return refuse("formát zvuku je v souboru dvakrát");
            if (present < 16) return refuse("záhlaví formátu zvuku je neúplné");
            fmt = body;
            fmtSize = present;
            p.Tag = Le16(body);
            p.Channels = Le16(body + 2);
            p.Rate = static_cast<int32_t>(std::min<uint32_t>(Le32(body + 4), INT32_MAX));
            p.BlockAlign = Le16(body + 12);
            p.Bits = Le16(body + 14);
            if (p.Tag == kExtensible) {
                if (present < 40 ||
                    !std::equal(kBaseGuidTail.begin(), kBaseGuidTail.end(), body + 26))
                    return refuse("rozšířený formát zvuku není známý");
                const uint16_t validBits = Le16(body + 18);
                p.Tag = Le16(body + 24);
                if (validBits > p.Bits || p.Tag == kMsAdpcm || p.Tag == kImaAdpcm ||
                    p.Tag == kExtensible)
                    return refuse(Unsupported(p.Tag, p.Bits));
            }
        } else if (std::memcmp(id, "data", 4) == 0) {
            if (fmt == nullptr) return refuse("data zvuku předcházejí jeho formát");
            if (p.Channels < 1 || p.Channels > kMaxSoundChannels)
                return refuse("počet kanálů " + std::to_string(p.Channels) + " je mimo 1 až " +
                              std::to_string(kMaxSoundChannels));
            if (p.Rate < kMinSoundRate || p.Rate > kMaxSoundRate)
                return refuse("vzorkovací frekvence " + std::to_string(p.Rate) + " Hz je mimo " +
                              std::to_string(kMinSoundRate) + " až " +
                              std::to_string(kMaxSoundRate) + " Hz");
            if (std::string problem = FormatProblem(p, fmt, fmtSize); !problem.empty())
                return refuse(std::move(problem));
            // Whole blocks only: a block cut short at the file's end is not played.
            p.Data = body;
            p.DataBytes = present;
            const uint64_t wholeBlocks = present / p.BlockAlign;
            p.Frames = double(wholeBlocks) * p.FramesPerBlock;
            if (p.Frames <= 0) return refuse("zvuk neobsahuje žádná data");
            const double seconds = p.Frames / p.Rate;
            if (seconds > kMaxSoundSeconds) {
                char text[96];
                std::snprintf(text, sizeof text, "zvuk je příliš dlouhý: %.1f s, nejvýše %.0f s",
                              seconds, kMaxSoundSeconds);
                return refuse(text);
            }
            return p;
        }
        at += 8 + size + (size & 1);  // chunks are padded to an even length
    }
    return refuse(fmt != nullptr ? "chybí data zvuku" : "chybí formát zvuku");
}

// G.711 A-law and µ-law, as 16-bit values.
int16_t FromALaw(uint8_t code) {
    code ^= 0x55;
    const int exponent = (code >> 4) & 7;
    int value = ((code & 0x0F) << 4) + 8;
    if (exponent > 0) value = (value + 0x100) << (exponent - 1);
    return static_cast<int16_t>((code & 0x80) != 0 ? value : -value);
}

int16_t FromMuLaw(uint8_t code) {
    code = static_cast<uint8_t>(~code);
    const int exponent = (code >> 4) & 7;
    const int value = ((((code & 0x0F) << 3) + 0x84) << exponent) - 0x84;
    return static_cast<int16_t>((code & 0x80) != 0 ? -value : value);
}

// A 16-bit sample as a float in [-1, 1).
float FloatSample(int sample) {
    return static_cast<float>(sample) / 32768.0f;
}

float SampleOf(const Parsed& p, const uint8_t* at) {
    switch (p.Tag) {
        case kFloat: {
            float value;
            const uint32_t raw = Le32(at);
            std::memcpy(&value, &raw, sizeof value);
            return std::isfinite(value) ? std::clamp(value, -1.0f, 1.0f) : 0.0f;
        }
        case kALaw:
            return FloatSample(FromALaw(*at));
        case kMuLaw:
            return FloatSample(FromMuLaw(*at));
        default:
            break;
    }
    switch (p.Bits) {
        case 8:
            return static_cast<float>(*at - 128) / 128.0f;
        case 16:
            return FloatSample(Signed16(at));
        case 24: {
            const uint32_t raw =
                uint32_t(at[0]) << 8 | uint32_t(at[1]) << 16 | uint32_t(at[2]) << 24;
            return static_cast<float>(static_cast<int32_t>(raw) / 2147483648.0);
        }
        default:
            return static_cast<float>(static_cast<int32_t>(Le32(at)) / 2147483648.0);
    }
}

constexpr std::array<int16_t, 89> kImaSteps{
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,   21,    23,
    25,    28,    31,    34,    37,    41,    45,    50,    55,    60,    66,   73,    80,
    88,    97,    107,   118,   130,   143,   157,   173,   190,   209,   230,  253,   279,
    307,   337,   371,   408,   449,   494,   544,   598,   658,   724,   796,  876,   963,
    1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,  2272,  2499,  2749, 3024,  3327,
    3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,  9493, 10442, 11487,
    12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};
constexpr std::array<int, 8> kImaIndexChange{-1, -1, -1, -1, 2, 4, 6, 8};

struct ImaChannel {
    int Value = 0;
    int Index = 0;
    float Next(uint8_t nibble) {
        const int step = kImaSteps[static_cast<size_t>(Index)];
        int difference = step >> 3;
        if ((nibble & 1) != 0) difference += step >> 2;
        if ((nibble & 2) != 0) difference += step >> 1;
        if ((nibble & 4) != 0) difference += step;
        Value =
            std::clamp((nibble & 8) != 0 ? Value - difference : Value + difference, -32768, 32767);
        Index = std::clamp(Index + kImaIndexChange[nibble & 7], 0, 88);
        return FloatSample(Value);
    }
};

void DecodeImaBlock(const Parsed& p, const uint8_t* block, float* out) {
    const int channels = p.Channels;
    std::vector<ImaChannel> state(static_cast<size_t>(channels));
    for (int c = 0; c < channels; ++c) {
        state[c].Value = Signed16(block + 4 * c);
        state[c].Index = std::min<int>(block[4 * c + 2], 88);
        out[c] = FloatSample(state[c].Value);
    }
    // Groups of four bytes per channel, eight samples each, low nibble first.
    const uint8_t* data = block + 4 * channels;
    const int groups = (p.FramesPerBlock - 1) / 8;
    for (int g = 0; g < groups; ++g) {
        for (int c = 0; c < channels; ++c) {
            const uint8_t* bytes = data + (g * channels + c) * 4;
            for (int k = 0; k < 8; ++k) {
                const uint8_t nibble = (k & 1) == 0 ? bytes[k / 2] & 0x0F : bytes[k / 2] >> 4;
                out[(1 + g * 8 + k) * channels + c] = state[c].Next(nibble);
            }
        }
    }
}

constexpr std::array<int, 16> kMsAdaptation{230, 230, 230, 230, 307, 409, 512, 614,
                                            768, 614, 512, 409, 307, 230, 230, 230};

void DecodeMsBlock(const Parsed& p, const uint8_t* block, float* out) {
    const int channels = p.Channels;
    const int pairs = static_cast<int>(p.Coefficients.size() / 2);
    struct State {
        int Coefficient1 = 0, Coefficient2 = 0, Delta = 0, Sample1 = 0, Sample2 = 0;
    };
    std::array<State, 2> state{};
    for (int c = 0; c < channels; ++c) {
        const int predictor = std::min<int>(block[c], pairs - 1);
        state[c].Coefficient1 = p.Coefficients[2 * predictor];
        state[c].Coefficient2 = p.Coefficients[2 * predictor + 1];
        state[c].Delta = Signed16(block + channels + 2 * c);
        state[c].Sample1 = Signed16(block + 3 * channels + 2 * c);
        state[c].Sample2 = Signed16(block + 5 * channels + 2 * c);
        out[c] = FloatSample(state[c].Sample2);
        out[channels + c] = FloatSample(state[c].Sample1);
    }
    const uint8_t* data = block + 7 * channels;
    for (int n = 0; n < (p.FramesPerBlock - 2) * channels; ++n) {
        const uint8_t byte = data[n / 2];
        const int nibble = (n & 1) == 0 ? byte >> 4 : byte & 0x0F;
        State& s = state[n % channels];
        const int predicted = (s.Sample1 * s.Coefficient1 + s.Sample2 * s.Coefficient2) / 256;
        const int value =
            std::clamp(predicted + (nibble >= 8 ? nibble - 16 : nibble) * s.Delta, -32768, 32767);
        s.Sample2 = s.Sample1;
        s.Sample1 = value;
        s.Delta = std::max(16, kMsAdaptation[static_cast<size_t>(nibble)] * s.Delta / 256);
        out[2 * channels + n] = FloatSample(value);
    }
}

}  // namespace

std::string WavProblem(const std::vector<uint8_t>& bytes, WavFacts* facts) {
    const Parsed p = Parse(bytes);
    if (facts != nullptr) {
        facts->Channels = p.Channels;
        facts->Rate = p.Rate;
        facts->Seconds = p.Problem.empty() ? p.Frames / p.Rate : 0;
    }
    return p.Problem;
}

std::optional<WavSound> DecodeWav(const std::vector<uint8_t>& bytes) {
    const Parsed p = Parse(bytes);
    if (!p.Problem.empty()) return std::nullopt;
    WavSound sound;
    sound.Channels = p.Channels;
    sound.Rate = p.Rate;
    const size_t blocks = static_cast<size_t>(p.DataBytes / p.BlockAlign);
    const size_t frames = blocks * static_cast<size_t>(p.FramesPerBlock);
    sound.Frames.resize(frames * static_cast<size_t>(p.Channels));
    float* out = sound.Frames.data();
    const size_t perBlock = static_cast<size_t>(p.FramesPerBlock) * p.Channels;
    for (size_t b = 0; b < blocks; ++b) {
        const uint8_t* block = p.Data + b * p.BlockAlign;
        if (p.Tag == kImaAdpcm) {
            DecodeImaBlock(p, block, out + b * perBlock);
        } else if (p.Tag == kMsAdpcm) {
            DecodeMsBlock(p, block, out + b * perBlock);
        } else {
            const size_t width = p.BlockAlign / static_cast<size_t>(p.Channels);
            for (int c = 0; c < p.Channels; ++c)
                out[b * perBlock + c] = SampleOf(p, block + c * width);
        }
    }
    return sound;
}

}  // namespace ZapModule
