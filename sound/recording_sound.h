// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A sound component stand-in that plays nothing and records every call, for tests and
// zapwall-sim.

#include <memory>
#include <string>
#include <vector>

#include "ports/sound_component.h"

namespace ZapModule {

struct SoundLog {
    std::vector<std::string> Calls;   // operation names in call order, e.g. "Play", "Update"
    std::vector<std::string> Played;  // the path of every Play, in order
    int Updates = 0;
};

class RecordingSound : public SoundComponent {
  public:
    explicit RecordingSound(std::shared_ptr<SoundLog> log) : log_(std::move(log)) {}

    void Update(int32_t arg) override;
    void StopAll() override { log_->Calls.emplace_back("StopAll"); }
    int16_t Play(std::string_view path, int32_t arg2, int32_t arg3) override;
    void Close() override { log_->Calls.emplace_back("Close"); }
    std::string Query() override;
    void Open(int32_t arg1, intptr_t window, int32_t arg3, int32_t channels) override;
    void ExtraStart() override { log_->Calls.emplace_back("ExtraStart"); }
    void ExtraSelect(std::string_view name) override { log_->Calls.emplace_back("ExtraSelect"); }

  private:
    std::shared_ptr<SoundLog> log_;
};

}  // namespace ZapModule
