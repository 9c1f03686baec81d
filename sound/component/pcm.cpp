#include "sound/component/pcm.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#define SDL_MAIN_HANDLED
#include <SDL.h>

#include "sound/wav_check.h"
#include "game/contract/data_limits.h"
#include "game/contract/file_reading.h"

namespace ZapSound {

namespace {

// One sample of a WAV buffer as a float in [-1, 1]; WAV data is little-endian.
float SampleAt(const uint8_t* at, SDL_AudioFormat format) {
    switch (format) {
        case AUDIO_U8:
            return (static_cast<int>(*at) - 128) / 128.0f;
        case AUDIO_S8:
            return static_cast<int8_t>(*at) / 128.0f;
        case AUDIO_S16LSB: {
            uint16_t raw;
            std::memcpy(&raw, at, sizeof raw);
            return static_cast<int16_t>(SDL_SwapLE16(raw)) / 32768.0f;
        }
        case AUDIO_S32LSB: {
            uint32_t raw;
            std::memcpy(&raw, at, sizeof raw);
            return static_cast<float>(static_cast<int32_t>(SDL_SwapLE32(raw)) / 2147483648.0);
        }
        default: {  // AUDIO_F32LSB
            uint32_t raw;
            std::memcpy(&raw, at, sizeof raw);
            raw = SDL_SwapLE32(raw);
            float value;
            std::memcpy(&value, &raw, sizeof value);
            return value;
        }
    }
}

bool Readable(SDL_AudioFormat format) {
    return format == AUDIO_U8 || format == AUDIO_S8 || format == AUDIO_S16LSB ||
           format == AUDIO_S32LSB || format == AUDIO_F32LSB;
}

int16_t ToInt16(float value) {
    const float scaled = std::clamp(value, -1.0f, 1.0f) * 32767.0f;
    return static_cast<int16_t>(scaled + (scaled < 0 ? -0.5f : 0.5f));  // nearest, and quick
}

}  // namespace

DeviceSamples ToDeviceSamples(const float* frames, size_t frameCount, int channels, int sourceRate,
                              int deviceRate) {
    if (frames == nullptr || frameCount == 0 || channels < 1 || sourceRate <= 0 || deviceRate <= 0)
        return {};
    const uint64_t outFrames =
        (uint64_t{frameCount} * uint64_t(deviceRate) + uint64_t(sourceRate) - 1) /
        uint64_t(sourceRate);
    const int right = channels > 1 ? 1 : 0;
    const size_t last = frameCount - 1;
    // The read position in source frames, in 32.32 fixed point: the first play of a file must
    // stay well under a millisecond, so the loop keeps to integer steps.
    const uint64_t step = (uint64_t(sourceRate) << 32) / uint64_t(deviceRate);
    uint64_t position = 0;

    DeviceSamples out(outFrames * 2);
    for (size_t i = 0; i < outFrames; ++i, position += step) {
        const size_t j = std::min(static_cast<size_t>(position >> 32), last);
        const size_t next = std::min(j + 1, last);
        const float t = static_cast<float>(position & 0xFFFFFFFFu) * (1.0f / 4294967296.0f);
        const float* a = frames + j * channels;
        const float* b = frames + next * channels;
        out[2 * i] = ToInt16(a[0] + (b[0] - a[0]) * t);
        out[2 * i + 1] = ToInt16(a[right] + (b[right] - a[right]) * t);
    }

    const size_t edge =
        std::min<size_t>(static_cast<size_t>(deviceRate) * kEdgeMilliseconds / 1000, outFrames / 2);
    for (size_t k = 0; k < edge; ++k) {
        const float gain = static_cast<float>(k) / static_cast<float>(edge);
        for (size_t at : {2 * k, 2 * k + 1, out.size() - 2 - 2 * k, out.size() - 1 - 2 * k})
            out[at] = static_cast<int16_t>(std::lround(out[at] * gain));
    }
    return out;
}

DeviceSamples LoadWav(const char* path, int deviceRate) {
    // Read as every data file is: never waiting on a FIFO, never more than the limit; and judged
    // by its header before anything is decoded, so one file's cost is bounded.
    const ZapModule::FileRead file =
        ZapModule::ReadRegularFile(path, ZapModule::kMaxSoundFileBytes);
    if (!file.Ok() || !ZapModule::WavProblem(file.Bytes).empty()) return {};
    SDL_RWops* memory = SDL_RWFromConstMem(file.Bytes.data(), static_cast<int>(file.Bytes.size()));
    if (memory == nullptr) return {};
    SDL_AudioSpec spec;
    Uint8* data = nullptr;
    Uint32 length = 0;
    if (SDL_LoadWAV_RW(memory, 1, &spec, &data, &length) == nullptr) return {};

    DeviceSamples samples;
    const int bytesPerSample = SDL_AUDIO_BITSIZE(spec.format) / 8;
    const bool sane = spec.channels > 0 && spec.freq >= ZapModule::kMinSoundRate &&
                      spec.freq <= ZapModule::kMaxSoundRate;
    if (Readable(spec.format) && sane) {
        const size_t count = length / bytesPerSample;
        // What SDL decoded is held to the same length as the header promised.
        const size_t frameCount = std::min<size_t>(
            count / spec.channels, static_cast<size_t>(ZapModule::kMaxSoundSeconds * spec.freq));
        std::vector<float> frames(frameCount * spec.channels);
        for (size_t k = 0; k < frames.size(); ++k)
            frames[k] = SampleAt(data + k * bytesPerSample, spec.format);
        samples = ToDeviceSamples(frames.data(), frameCount, spec.channels, spec.freq, deviceRate);
    }
    SDL_FreeWAV(data);
    return samples;
}

}  // namespace ZapSound
