#pragma once
// The slow parts of start-up that need neither the display nor the windows — loading the sound
// library with its audio stack into memory, decoding the fourteen pictures, reading the font
// configuration — begun on threads of their own as soon as the program knows its folders, while
// Qt connects to the display and the windows are built. The entry routine still takes every
// result at its own step and in its own order: the library is registered (and a failure
// reported) at its step, each picture is checked where it always was, and a refused data folder
// is refused before any window shows. Only the waiting overlaps; nothing the player sees changes.

#include <future>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "graphics/sprites.h"
#include "layout/data_layout.h"

namespace ZapModule {

class StartupPreload {
  public:
    explicit StartupPreload(const DataLayout& layout);
    // Waits for the thread; what was not taken is dropped.
    ~StartupPreload();
    StartupPreload(const StartupPreload&) = delete;
    StartupPreload& operator=(const StartupPreload&) = delete;

    // A picture loader that hands out the decoded pictures, each once (waiting for the thread
    // when needed), and loads any other path itself. Valid while the preload lives.
    PictureLoader Pictures();

  private:
    struct Picture {
        std::optional<Surface> Pixels;
        std::string Problem;
    };
    void Run(std::string libraryPath, std::string dataFolder);

    std::map<std::string, std::future<Picture>> pictures_;  // taken on the main thread
    std::vector<std::pair<std::string, std::promise<Picture>>> promised_;  // kept by the thread
    std::future<void> thread_;
    std::future<void> fonts_;
    void* library_ = nullptr;
};

}  // namespace ZapModule
