// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/sim/sound_tally.h"

namespace ZapModule {

int16_t TallyingSound::Play(std::string_view path, int32_t, int32_t) {
    ++tally_->Plays;
    if (tally_->KeepNames) tally_->Played.emplace_back(path.substr(path.rfind('/') + 1));
    return static_cast<int16_t>(tally_->Plays % 16);
}

}  // namespace ZapModule
