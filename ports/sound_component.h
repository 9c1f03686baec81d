// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The contract with the sound component: the eight operations of the player object, in the
// component's interface order, as the game calls them. The real component is the shared library
// 2d_snd (sound_component/); tests and the headless driver use a recording stand-in.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace ZapModule {

class SoundComponent {
  public:
    virtual ~SoundComponent() = default;
    virtual void Update(int32_t arg) = 0;
    virtual void StopAll() = 0;
    // Starts the file at once and returns a handle (-1 when nothing plays).
    virtual int16_t Play(std::string_view path, int32_t arg2, int32_t arg3) = 0;
    virtual void Close() = 0;
    virtual std::string Query() = 0;
    virtual void Open(int32_t arg1, intptr_t window, int32_t arg3, int32_t channels) = 0;
    virtual void ExtraStart() = 0;
    virtual void ExtraSelect(std::string_view name) = 0;
};

}  // namespace ZapModule
