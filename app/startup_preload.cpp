// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/startup_preload.h"

#include "graphics/png_codec.h"
#include "pictures/picture_loader.h"

#include <fontconfig/fontconfig.h>

namespace ZapModule {

StartupPreload::StartupPreload(const DataLayout& layout) {
    // The pictures in the order start-up reads them.
    std::vector<std::string> names{"pictures/gui"};
    for (int i = 0; i < kSpriteCount; ++i) names.push_back(SpritePicture(i));
    for (const std::string& name : names) {
        const std::string path = layout.DataFolder + "/" + name;
        promised_.emplace_back(path, std::promise<std::optional<Surface>>());
        pictures_[path] = promised_.back().second.get_future();
    }
    // Fontconfig reads its configuration and font caches (tens of files) the first time anyone
    // asks it anything; Qt asks when the menu is laid out. Read here, beside the rest, Qt finds
    // the same configuration ready.
    fonts_ = std::async(std::launch::async, [] { FcInit(); });
    sound_ = soundPromise_.get_future();
    thread_ = std::async(std::launch::async, &StartupPreload::Run, this, layout.LibraryFolder);
}

StartupPreload::~StartupPreload() {
    fonts_.wait();
    thread_.wait();
}

void StartupPreload::Run(const std::string& libraryFolder) {
    // The registration first, as the entry routine takes it before the pictures.
    try {
        soundPromise_.set_value(LoadSoundLibrary(libraryFolder));
    } catch (...) {
        soundPromise_.set_exception(std::current_exception());  // thrown where it is taken
    }
    // The thread never touches Qt, which is being started on the main thread meanwhile (and must
    // be started there first): it decodes the PNG files the game's pictures are with png_codec,
    // which gives the pixels Qt's decoder gives them, and leaves any other file to Qt on the main
    // thread when it is taken.
    for (auto& [path, promise] : promised_) {
        try {
            promise.set_value(ReadPngFile(path));
        } catch (...) {
            promise.set_exception(std::current_exception());  // thrown where it is taken
        }
    }
}

std::function<SoundRegistration()> StartupPreload::Sound() {
    return [this] { return sound_.get(); };
}

PictureLoader StartupPreload::Pictures() {
    return [this](const std::string& path, std::string* problem) -> std::optional<Surface> {
        const auto found = pictures_.find(path);
        if (found == pictures_.end()) return LoadPicture(path, problem);
        std::optional<Surface> pixels = found->second.get();
        pictures_.erase(found);
        return pixels ? std::move(pixels) : LoadPicture(path, problem);
    };
}

}  // namespace ZapModule
