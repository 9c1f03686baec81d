// SPDX-License-Identifier: GPL-3.0-or-later
#include "sound_component/mixer_player.h"

#include <algorithm>
#include <cstdio>
#include <limits>

#define SDL_MAIN_HANDLED
#include <SDL.h>
#include <SDL_mixer.h>

#include "sound/tune.h"
#include "sound_component/audio_session.h"

namespace ZapSound {

namespace {

constexpr const char* kComponentVersion = "1.0";
constexpr int kEffectGroup = 1;
// About 12 ms of sound per mixing pass at 44.1 kHz, so a sound starts with the step that asked for
// it. Measured through PulseAudio (bench/README.md, the audio thread), larger passes cost the audio
// thread no less until 2048 frames (46 ms of latency), and 768 frames already passed 25 ms of
// output latency on a busy machine; 256 frames cost half as much again.
constexpr int kMixFrames = 512;

std::string VersionText() {
    SDL_version sdl;
    SDL_GetVersion(&sdl);
    const SDL_version* mixer = Mix_Linked_Version();
    char text[96];
    std::snprintf(text, sizeof text, "2d_snd %s (SDL_mixer %d.%d.%d, SDL %d.%d.%d)",
                  kComponentVersion, mixer->major, mixer->minor, mixer->patch, sdl.major, sdl.minor,
                  sdl.patch);
    return text;
}

Mix_Chunk* ChunkOf(DeviceSamples& samples) {
    const size_t bytes = samples.size() * sizeof(int16_t);
    if (bytes == 0 || bytes > std::numeric_limits<Uint32>::max()) return nullptr;
    return Mix_QuickLoad_RAW(reinterpret_cast<Uint8*>(samples.data()), static_cast<Uint32>(bytes));
}

}  // namespace

MixerPlayer::MixerPlayer() : worker_([this] { RunWorker(); }) {}

MixerPlayer::~MixerPlayer() {
    Post(Job::Quit);
    worker_.join();
}

void MixerPlayer::Update() {
    std::lock_guard guard(lock_);
    if (device_ != Device::Open) return;
    // The tune's samples are the one sizeable thing the player holds; let them go once it has
    // played. The effects stay decoded for the rest of the run.
    if (tuneChunk_ != nullptr && Mix_Playing(kTuneChannel) == 0) FreeTune();
}

void MixerPlayer::StopAll() {
    std::lock_guard guard(lock_);
    std::erase(jobs_, Job::StartTune);
    if (device_ == Device::Open) Mix_HaltChannel(-1);
}

int16_t MixerPlayer::Play(const char* path) {
    {
        std::lock_guard guard(lock_);
        if (device_ != Device::Open || path == nullptr) return -1;
        if (const auto found = sounds_.find(std::string_view(path)); found != sounds_.end()) {
            const DecodedSound& sound = found->second;
            if (!sound.Ready || sound.Chunk == nullptr) return -1;
            return static_cast<int16_t>(StartChunk(sound.Chunk));
        }
        // The first Play of a file: the worker reads and decodes it and starts it then.
        sounds_.emplace(path, DecodedSound{});
        toDecode_.emplace_back(path);
        jobs_.push_back(Job::Decode);
    }
    wake_.notify_one();
    return -1;
}

void MixerPlayer::Close() {
    Post(Job::Close);
}

const char* MixerPlayer::Query() {
    std::string text = VersionText();
    {
        std::lock_guard guard(lock_);
        text += "; audio driver: " + (driver_.empty() ? std::string("not started") : driver_);
        switch (device_) {
            case Device::Closed:
                text += "; device closed";
                break;
            case Device::Opening:
                text += "; device opening";
                break;
            case Device::Open:
                text += "; device open, " + std::to_string(rate_) + " Hz, " +
                        std::to_string(channels_) + " channels";
                break;
            case Device::Unavailable:
                text += "; no sound: " + problem_;
                break;
        }
    }
    query_ = std::move(text);
    return query_.c_str();
}

void MixerPlayer::Open(int32_t channels) {
    {
        std::lock_guard guard(lock_);
        requestedChannels_ = channels < 1 ? kDefaultChannels : std::min(channels, kMaxChannels);
        if (device_ != Device::Open) device_ = Device::Opening;
    }
    Post(Job::Open);
}

void MixerPlayer::ExtraStart() {
    Post(Job::StartTune);
}

void MixerPlayer::ExtraSelect(const char* name) {
    std::lock_guard guard(lock_);
    // The component knows one tune, the built-in one, selected by the empty name.
    tuneSelected_ = name == nullptr || *name == '\0';
}

void MixerPlayer::Post(Job job) {
    {
        std::lock_guard guard(lock_);
        jobs_.push_back(job);
    }
    wake_.notify_one();
}

void MixerPlayer::RunWorker() {
    for (;;) {
        Job job;
        {
            std::unique_lock guard(lock_);
            wake_.wait(guard, [this] { return !jobs_.empty(); });
            job = jobs_.front();
            jobs_.pop_front();
        }
        try {
            switch (job) {
                case Job::Open:
                    OpenDevice();
                    break;
                case Job::Close:
                    CloseDevice();
                    break;
                case Job::StartTune:
                    StartTune();
                    break;
                case Job::Decode:
                    DecodeNext();
                    break;
                case Job::Quit:
                    CloseDevice();
                    // SDL keeps per-thread data (its error text) that it frees by itself only
                    // for threads it created.
                    SDL_TLSCleanup();
                    return;
            }
        } catch (...) {
            // Out of memory while decoding or composing: that sound is skipped, the game goes on.
        }
    }
}

void MixerPlayer::OpenDevice() {
    {
        std::lock_guard guard(lock_);
        if (device_ == Device::Open) {
            SetUpChannels(requestedChannels_);
            return;
        }
    }
    auto fail = [this](std::string why) {
        std::lock_guard guard(lock_);
        device_ = Device::Unavailable;
        problem_ = std::move(why);
    };
    if (!ClaimMixer(this)) return fail("another player holds the audio device");
    if (!AcquireAudio()) {
        ReleaseMixer(this);
        return fail(std::string("audio did not start: ") + SDL_GetError());
    }
    const std::string driver = CurrentDriver();
    {
        std::lock_guard guard(lock_);
        driver_ = driver;
    }
    const int status = WithDeviceMessagesSilenced([] {
        return Mix_OpenAudioDevice(kPreferredRate, AUDIO_S16SYS, 2, kMixFrames, nullptr,
                                   SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
    });
    if (status != 0) {
        const std::string why = std::string("the audio device did not open: ") + SDL_GetError();
        ReleaseAudio();
        ReleaseMixer(this);
        return fail(why);
    }
    audioHeld_ = true;
    mixerOpen_ = true;
    int rate = 0;
    int outputChannels = 0;
    Uint16 format = 0;
    Mix_QuerySpec(&rate, &format, &outputChannels);

    std::lock_guard guard(lock_);
    rate_ = rate;
    problem_.clear();
    SetUpChannels(requestedChannels_);
    device_ = Device::Open;
}

void MixerPlayer::CloseDevice() {
    {
        std::lock_guard guard(lock_);
        device_ = Device::Closed;
        problem_.clear();
        if (mixerOpen_) {
            Mix_HaltChannel(-1);
            for (auto& [path, sound] : sounds_)
                if (sound.Chunk != nullptr) Mix_FreeChunk(sound.Chunk);
        }
        // Files still waiting are read again at their next Play on an open device.
        sounds_.clear();
        toDecode_.clear();
        if (mixerOpen_) FreeTune();
        channels_ = 0;
    }
    if (mixerOpen_) {
        Mix_CloseAudio();
        mixerOpen_ = false;
        ReleaseMixer(this);
    }
    if (audioHeld_) {
        ReleaseAudio();
        audioHeld_ = false;
    }
}

void MixerPlayer::StartTune() {
    {
        std::lock_guard guard(lock_);
        if (!tuneSelected_) return;
        // The tune may come before the game opened the device (it is a menu feature): then it
        // opens the device itself, with the usual channels.
        if (device_ != Device::Open) device_ = Device::Opening;
    }
    OpenDevice();
    int rate = 0;
    {
        std::lock_guard guard(lock_);
        if (device_ != Device::Open) return;
        if (tuneChunk_ != nullptr) {
            Mix_PlayChannel(kTuneChannel, tuneChunk_, 0);
            return;
        }
        rate = rate_;
    }
    // A few milliseconds: not under the lock.
    const std::vector<float> frames = ComposeTune(rate);
    DeviceSamples tune = ToDeviceSamples(frames.data(), frames.size() / 2, 2, rate, rate);

    std::lock_guard guard(lock_);
    if (device_ != Device::Open || tuneChunk_ != nullptr) return;
    tune_ = std::move(tune);
    tuneChunk_ = ChunkOf(tune_);
    if (tuneChunk_ != nullptr) Mix_PlayChannel(kTuneChannel, tuneChunk_, 0);
}

void MixerPlayer::SetUpChannels(int channels) {
    if (channels == channels_) return;
    Mix_AllocateChannels(channels + 1);
    Mix_ReserveChannels(1);
    Mix_GroupChannels(1, channels, kEffectGroup);
    channels_ = channels;
}

void MixerPlayer::DecodeNext() {
    std::string path;
    int rate = 0;
    {
        std::lock_guard guard(lock_);
        if (toDecode_.empty()) return;
        path = std::move(toDecode_.front());
        toDecode_.pop_front();
        if (device_ != Device::Open) {
            sounds_.erase(path);
            return;
        }
        rate = rate_;
    }
    DeviceSamples samples = LoadWav(path.c_str(), rate);  // bounded, and not under the lock

    std::lock_guard guard(lock_);
    const auto found = sounds_.find(path);
    // The device closed meanwhile (and forgot the file) or opened at another rate.
    if (found == sounds_.end() || found->second.Ready || device_ != Device::Open || rate_ != rate)
        return;
    DecodedSound& sound = found->second;
    sound.Samples = std::move(samples);
    sound.Chunk = ChunkOf(sound.Samples);
    sound.Ready = true;
    if (sound.Chunk != nullptr) StartChunk(sound.Chunk);
}

int MixerPlayer::StartChunk(Mix_Chunk* chunk) {
    int channel = Mix_PlayChannel(-1, chunk, 0);
    if (channel < 0) {
        // Every effect channel is busy: the newest sound matters more than the oldest one's tail.
        const int oldest = Mix_GroupOldest(kEffectGroup);
        if (oldest >= 0) channel = Mix_PlayChannel(oldest, chunk, 0);
    }
    return channel < 0 ? -1 : channel;
}

void MixerPlayer::FreeTune() {
    if (tuneChunk_ != nullptr) Mix_FreeChunk(tuneChunk_);
    tuneChunk_ = nullptr;
    tune_ = DeviceSamples();
}

}  // namespace ZapSound
