// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// zapwall-sim's sound component: it plays nothing and keeps only what the report gives of the
// sound requests (how many updates came, and the played effects' names when a report is
// written), so that a game of any length costs no memory per step.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ports/sound_component.h"

namespace ZapModule {

struct SoundTally {
    bool KeepNames = false;           // whether Played is kept
    int64_t Plays = 0;                // every Play
    int64_t Updates = 0;              // every Update
    std::vector<std::string> Played;  // the file name of every Play, in order, when kept
};

class TallyingSound : public SoundComponent {
  public:
    explicit TallyingSound(std::shared_ptr<SoundTally> tally) : tally_(std::move(tally)) {}

    void Update(int32_t) override { ++tally_->Updates; }
    void StopAll() override {}
    // The channel as the recording stand-in gives it: the number of plays so far, modulo 16.
    int16_t Play(std::string_view path, int32_t, int32_t) override;
    void Close() override {}
    std::string Query() override { return "recording stand-in"; }
    void Open(int32_t, intptr_t, int32_t, int32_t) override {}
    void ExtraStart() override {}
    void ExtraSelect(std::string_view) override {}

  private:
    std::shared_ptr<SoundTally> tally_;
};

}  // namespace ZapModule
