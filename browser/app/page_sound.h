// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The sound component of the page, over WebAudio: the same eight operations as the desktop's
// library, for the same rules in sound/sound.cpp (the on/off rule, the per-step Update). The
// page's script (Module.zwAudio in page_audio.js) owns the AudioContext; the browser lets it
// sound only after the player's first key or click, when the page resumes it.
//
// As on the desktop, Play never waits for a file: its first Play hands the file's bytes to the
// browser to decode and returns -1, the sound starting once decoded; later Plays start at once.
// A file beyond the sound limits, or one the browser cannot decode, silences only its effect.
// Effects play on channels 1 to N (Open's count); when every one is busy the oldest is cut off.
// Channel 0 is the tune's, composed by the desktop component's own code.

#include <set>
#include <string>

#include "ports/sound_component.h"

namespace ZapModule {

class PageSound final : public SoundComponent {
  public:
    void Update(int32_t arg) override;
    void StopAll() override;
    int16_t Play(std::string_view path, int32_t arg2, int32_t arg3) override;
    void Close() override;
    std::string Query() override;
    void Open(int32_t arg1, intptr_t window, int32_t arg3, int32_t channels) override;
    void ExtraStart() override;
    void ExtraSelect(std::string_view name) override;

    static constexpr int kDefaultChannels = 16;
    static constexpr int kMaxChannels = 256;

  private:
    bool open_ = false;
    bool tuneSelected_ = true;
    std::set<std::string, std::less<>> handed_;  // files whose bytes went to the page
};

}  // namespace ZapModule
