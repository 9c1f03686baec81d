// SPDX-License-Identifier: GPL-3.0-or-later
#include "browser/app/page_sound.h"

#include <emscripten.h>

#include <algorithm>
#include <vector>

#include "sound/tune.h"
#include "sound/wav_check.h"
#include "storage/disk_data_files.h"
#include "values/data_limits.h"

namespace ZapModule {

namespace {

// The page's side: Module.zwAudio, set by page_audio.js.
EM_JS(void, AudioOpen, (int channels), { Module.zwAudio.open(channels); });
EM_JS(void, AudioClose, (), { Module.zwAudio.close(); });
EM_JS(void, AudioStopAll, (), { Module.zwAudio.stopAll(); });
EM_JS(void, AudioUpdate, (), { Module.zwAudio.update(); });
EM_JS(int, AudioRate, (), { return Module.zwAudio.rate(); });
EM_JS(int, AudioState, (), { return Module.zwAudio.state(); });
EM_JS(void, AudioDecode, (const char* path, int pathLength, const uint8_t* bytes, int size), {
    Module.zwAudio.decode(UTF8ToString(path, pathLength), HEAPU8.slice(bytes, bytes + size));
});
EM_JS(int, AudioPlay, (const char* path, int pathLength),
      { return Module.zwAudio.play(UTF8ToString(path, pathLength)); });
EM_JS(void, AudioPlayTune, (const float* frames, int count, int rate), {
    Module.zwAudio.playTune(HEAPF32.slice(frames >> 2, (frames >> 2) + count * 2), count, rate);
});

}  // namespace

void PageSound::Update(int32_t) {
    if (open_) AudioUpdate();
}

void PageSound::StopAll() {
    if (open_) AudioStopAll();
}

int16_t PageSound::Play(std::string_view path, int32_t, int32_t) {
    if (!open_) return -1;
    if (handed_.find(path) == handed_.end()) {
        // The first Play of a file: its bytes go to the browser, which starts it once decoded.
        handed_.emplace(path);
        const std::optional<std::vector<uint8_t>> bytes =
            ReadWholeFile(std::string(path), kMaxSoundFileBytes);
        if (bytes && WavProblem(*bytes).empty())
            AudioDecode(path.data(), static_cast<int>(path.size()), bytes->data(),
                        static_cast<int>(bytes->size()));
        return -1;
    }
    return static_cast<int16_t>(AudioPlay(path.data(), static_cast<int>(path.size())));
}

void PageSound::Close() {
    if (!open_) return;
    open_ = false;
    handed_.clear();
    AudioClose();
}

std::string PageSound::Query() {
    static constexpr const char* kStates[] = {"device closed", "waiting for the first key or click",
                                              "device open", "no sound: WebAudio is missing"};
    const int state = std::clamp(AudioState(), 0, 3);
    return std::string("2d_snd web 1.0 (WebAudio); ") + kStates[state];
}

void PageSound::Open(int32_t, intptr_t, int32_t, int32_t channels) {
    open_ = true;
    AudioOpen(channels < 1 ? kDefaultChannels : std::min(channels, kMaxChannels));
}

void PageSound::ExtraStart() {
    if (!tuneSelected_) return;
    // The tune may come before the game opened the device (it is a menu feature): then it
    // opens the device itself, with the usual channels.
    if (!open_) Open(0, 0, 0, kDefaultChannels);
    const int rate = AudioRate();
    if (rate <= 0) return;
    const std::vector<float> tune = ZapSound::ComposeTune(rate);
    AudioPlayTune(tune.data(), static_cast<int>(tune.size() / 2), rate);
}

void PageSound::ExtraSelect(std::string_view name) {
    // The component knows one tune, the built-in one, selected by the empty name.
    tuneSelected_ = name.empty();
}

}  // namespace ZapModule
