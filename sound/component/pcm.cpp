#include "sound/component/pcm.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#define SDL_MAIN_HANDLED
#include <SDL.h>

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
    const float clipped = std::clamp(value, -1.0f, 1.0f);
    return static_cast<int16_t>(std::lrint(clipped * 32767.0f));
}

}  // namespace

DeviceSamples ToDeviceSamples(const float* frames, size_t frameCount, int channels, int sourceRate,
                              int deviceRate) {
    if (frames == nullptr || frameCount == 0 || channels < 1 || sourceRate <= 0 || deviceRate <= 0)
        return {};
    const size_t outFrames = static_cast<size_t>(
        (static_cast<uint64_t>(frameCount) * static_cast<uint64_t>(deviceRate) + sourceRate - 1) /
        static_cast<uint64_t>(sourceRate));
    const size_t edge =
        std::min<size_t>(static_cast<size_t>(deviceRate) * kEdgeMilliseconds / 1000, outFrames / 2);
    const int right = channels > 1 ? 1 : 0;
    const double step = static_cast<double>(sourceRate) / deviceRate;

    DeviceSamples out(outFrames * 2);
    for (size_t i = 0; i < outFrames; ++i) {
        const double position = static_cast<double>(i) * step;
        const size_t j = std::min(static_cast<size_t>(position), frameCount - 1);
        const size_t next = std::min(j + 1, frameCount - 1);
        const float t = static_cast<float>(position - static_cast<double>(j));
        const float* a = frames + j * channels;
        const float* b = frames + next * channels;
        float gain = 1.0f;
        if (i < edge) gain = static_cast<float>(i) / edge;
        if (outFrames - 1 - i < edge) gain = static_cast<float>(outFrames - 1 - i) / edge;
        out[2 * i] = ToInt16(gain * (a[0] + (b[0] - a[0]) * t));
        out[2 * i + 1] = ToInt16(gain * (a[right] + (b[right] - a[right]) * t));
    }
    return out;
}

DeviceSamples LoadWav(const char* path, int deviceRate) {
    SDL_RWops* file = SDL_RWFromFile(path, "rb");
    if (file == nullptr) return {};
    SDL_AudioSpec spec;
    Uint8* data = nullptr;
    Uint32 length = 0;
    if (SDL_LoadWAV_RW(file, 1, &spec, &data, &length) == nullptr) return {};

    DeviceSamples samples;
    const int bytesPerSample = SDL_AUDIO_BITSIZE(spec.format) / 8;
    if (Readable(spec.format) && spec.channels > 0) {
        const size_t count = length / bytesPerSample;
        const size_t frameCount = count / spec.channels;
        std::vector<float> frames(frameCount * spec.channels);
        for (size_t k = 0; k < frames.size(); ++k)
            frames[k] = SampleAt(data + k * bytesPerSample, spec.format);
        samples = ToDeviceSamples(frames.data(), frameCount, spec.channels, spec.freq, deviceRate);
    }
    SDL_FreeWAV(data);
    return samples;
}

}  // namespace ZapSound
