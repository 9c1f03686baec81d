// SPDX-License-Identifier: GPL-3.0-or-later
#include "sound/recording_sound.h"

namespace ZapModule {

void RecordingSound::Update(int32_t arg) {
    log_->Calls.emplace_back("Update");
    ++log_->Updates;
}

int16_t RecordingSound::Play(std::string_view path, int32_t arg2, int32_t arg3) {
    log_->Calls.emplace_back("Play");
    log_->Played.emplace_back(path);
    return static_cast<int16_t>(log_->Played.size() % 16);
}

std::string RecordingSound::Query() {
    log_->Calls.emplace_back("Query");
    return "recording stand-in";
}

void RecordingSound::Open(int32_t arg1, intptr_t window, int32_t arg3, int32_t channels) {
    log_->Calls.emplace_back("Open");
}

}  // namespace ZapModule
