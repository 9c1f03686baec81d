// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The slow parts of start-up that need neither the display nor the windows — loading the sound
// library with its audio stack into memory and starting its audio system, decoding the fourteen
// pictures, reading the font configuration — begun on threads of their own as soon as the program
// knows its folders, while Qt connects to the display and the menu is built. The entry routine
// still takes every result at its own step and in its own order: the registration is handed over
// (and a failure reported) at its step, each picture is checked where it always was, and a
// refused data folder is refused before any window shows. Only the waiting overlaps; nothing the
// player sees changes.

#include <functional>
#include <future>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "graphics/sprites.h"
#include "layout/data_layout.h"
#include "sound/component_loader.h"

namespace ZapModule {

class StartupPreload {
  public:
    explicit StartupPreload(const DataLayout& layout);
    // Waits for the threads; what was not taken is dropped.
    ~StartupPreload();
    StartupPreload(const StartupPreload&) = delete;
    StartupPreload& operator=(const StartupPreload&) = delete;

    // A picture loader that hands out the decoded pictures, each once (waiting for the thread
    // when needed), and loads any other path itself. Valid while the preload lives.
    PictureLoader Pictures();
    // The sound library's registration, waiting for the thread when needed; taken once. Valid
    // while the preload lives.
    std::function<SoundRegistration()> Sound();

  private:
    void Run(const std::string& libraryFolder);

    // The pictures decoded by the thread; nothing where Qt is to decode one on the main thread.
    std::map<std::string, std::future<std::optional<Surface>>> pictures_;  // taken on main thread
    std::vector<std::pair<std::string, std::promise<std::optional<Surface>>>>
        promised_;  // kept by the thread
    std::future<void> thread_;
    std::future<void> fonts_;
    std::promise<SoundRegistration> soundPromise_;  // kept by the thread
    std::future<SoundRegistration> sound_;          // taken on the main thread
};

}  // namespace ZapModule
