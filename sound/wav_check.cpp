#include "sound/wav_check.h"

#include <algorithm>
#include <cstdio>

#include "game/contract/data_limits.h"

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

uint32_t Le32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
uint16_t Le16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

// Frames in `dataBytes` of this format; 0 for a format the component does not play.
double FramesOf(uint16_t tag, uint16_t bits, uint16_t channels, uint16_t blockAlign,
                uint64_t dataBytes) {
    switch (tag) {
        case kPcm:
            if (bits != 8 && bits != 16 && bits != 24 && bits != 32) return 0;
            break;
        case kFloat:
            if (bits != 32) return 0;
            break;
        case kALaw:
        case kMuLaw:
            if (bits != 8) return 0;
            break;
        case kMsAdpcm:
        case kImaAdpcm:
            // Four bits a sample at most, whatever the block layout.
            return double(dataBytes) * 2 / channels;
        default:
            return 0;
    }
    return blockAlign == 0 ? 0 : double(dataBytes / blockAlign);
}

}  // namespace

std::string WavProblem(const std::vector<uint8_t>& bytes, WavFacts* facts) {
    WavFacts local;
    WavFacts& f = facts != nullptr ? *facts : local;
    if (bytes.size() < 12 || std::string(bytes.begin(), bytes.begin() + 4) != "RIFF" ||
        std::string(bytes.begin() + 8, bytes.begin() + 12) != "WAVE")
        return "není to zvuk WAV";
    uint16_t tag = 0, channels = 0, blockAlign = 0, bits = 0;
    bool haveFormat = false;
    for (size_t at = 12; at + 8 <= bytes.size();) {
        const std::string id(bytes.begin() + static_cast<ptrdiff_t>(at),
                             bytes.begin() + static_cast<ptrdiff_t>(at + 4));
        const uint64_t size = Le32(&bytes[at + 4]);
        const uint8_t* body = &bytes[at + 8];
        const uint64_t present = std::min<uint64_t>(size, bytes.size() - at - 8);
        if (id == "fmt ") {
            if (present < 16) return "záhlaví formátu zvuku je neúplné";
            tag = Le16(body);
            channels = Le16(body + 2);
            f.Channels = channels;
            f.Rate = static_cast<int32_t>(std::min<uint32_t>(Le32(body + 4), INT32_MAX));
            blockAlign = Le16(body + 12);
            bits = Le16(body + 14);
            if (tag == kExtensible && present >= 26) tag = Le16(body + 24);
            haveFormat = true;
        } else if (id == "data") {
            if (!haveFormat) return "data zvuku předcházejí jeho formát";
            if (channels < 1 || channels > kMaxSoundChannels)
                return "počet kanálů " + std::to_string(channels) + " je mimo 1 až " +
                       std::to_string(kMaxSoundChannels);
            if (f.Rate < kMinSoundRate || f.Rate > kMaxSoundRate)
                return "vzorkovací frekvence " + std::to_string(f.Rate) + " Hz je mimo " +
                       std::to_string(kMinSoundRate) + " až " + std::to_string(kMaxSoundRate) +
                       " Hz";
            const double frames = FramesOf(tag, bits, channels, blockAlign, present);
            if (frames <= 0) {
                if (present == 0) return "zvuk neobsahuje žádná data";
                return "nepodporovaný formát zvuku (" + std::to_string(tag) + ", " +
                       std::to_string(bits) + " bitů)";
            }
            f.Seconds = frames / f.Rate;
            if (f.Seconds > kMaxSoundSeconds) {
                char text[96];
                std::snprintf(text, sizeof text, "zvuk je příliš dlouhý: %.1f s, nejvýše %.0f s",
                              f.Seconds, kMaxSoundSeconds);
                return text;
            }
            return {};
        }
        at += 8 + size + (size & 1);  // chunks are padded to an even length
    }
    return haveFormat ? "chybí data zvuku" : "chybí formát zvuku";
}

}  // namespace ZapModule
