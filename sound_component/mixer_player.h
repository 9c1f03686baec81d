// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The player object behind the component's function table, on SDL_mixer.
//
// Play never reads or decodes a file on the game's thread: the first Play of a file hands it to
// the worker, which reads it (within the sound limits, never waiting on a FIFO), decodes it for
// the device and starts it; later Plays of it start at once from memory. A file that cannot be
// played stays silent, and only that effect.
//
// Opening and closing an audio device takes tens of milliseconds (SDL joins its mixing thread,
// a sound server may be slow to answer), longer than any operation may hold up the game. So the
// player keeps a worker thread that opens and closes the device and composes the tune, while
// the game's calls return at once: Play, StopAll and Update work only while the device is open
// and simply do nothing before that. Every SDL_mixer call on either thread happens under the
// player's lock; the worker opens and closes the device without it while the device is marked
// closed, so no game call can wait on that.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>

#include "sound_component/pcm.h"

struct Mix_Chunk;

namespace ZapSound {

class MixerPlayer {
  public:
    // The device format asked for; SDL may pick another rate, which the player then uses.
    static constexpr int kPreferredRate = 44100;
    static constexpr int kDefaultChannels = 16;
    static constexpr int kMaxChannels = 256;
    // Channel 0 is kept for the tune, so effects play on channels 1 to N and never cut it off.
    static constexpr int kTuneChannel = 0;

    MixerPlayer();
    ~MixerPlayer();  // closes the device and ends the worker
    MixerPlayer(const MixerPlayer&) = delete;
    MixerPlayer& operator=(const MixerPlayer&) = delete;

    void Update();
    void StopAll();
    int16_t Play(const char* path);
    void Close();
    const char* Query();
    void Open(int32_t channels);
    void ExtraStart();
    void ExtraSelect(const char* name);

  private:
    enum class Job { Open, Close, StartTune, Decode, Quit };
    enum class Device { Closed, Opening, Open, Unavailable };

    // A file decoded for the device; until Ready the worker is decoding it, and afterwards
    // Chunk is null for a file that cannot be played.
    struct DecodedSound {
        DeviceSamples Samples;
        Mix_Chunk* Chunk = nullptr;
        bool Ready = false;
    };
    struct PathHash {
        using is_transparent = void;
        size_t operator()(std::string_view path) const {
            return std::hash<std::string_view>{}(path);
        }
    };

    void Post(Job job);
    void RunWorker();
    // Worker side.
    void OpenDevice();
    void CloseDevice();
    void StartTune();
    void DecodeNext();
    // Under the lock, with the device open.
    void SetUpChannels(int channels);
    int StartChunk(Mix_Chunk* chunk);  // on a free effect channel, else the oldest one
    void FreeTune();

    std::mutex lock_;
    std::condition_variable wake_;
    std::deque<Job> jobs_;
    Device device_ = Device::Closed;
    int requestedChannels_ = kDefaultChannels;
    int channels_ = 0;
    int rate_ = 0;
    std::string driver_;
    std::string problem_;  // why there is no sound, for Query
    bool tuneSelected_ = true;
    DeviceSamples tune_;
    Mix_Chunk* tuneChunk_ = nullptr;
    std::unordered_map<std::string, DecodedSound, PathHash, std::equal_to<>> sounds_;
    std::deque<std::string> toDecode_;  // files whose first Play waits for the worker

    // The worker's own state, touched by nothing else.
    bool audioHeld_ = false;
    bool mixerOpen_ = false;

    std::string query_;  // the text Query returned last
    std::thread worker_;
};

}  // namespace ZapSound
