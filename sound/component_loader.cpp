// SPDX-License-Identifier: GPL-3.0-or-later
#include "sound/component_loader.h"

#include <filesystem>
#include <memory>
#include <utility>

#include "game/contract/window_port.h"
#include "game/contract/zapwall_sound_abi.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif
#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

namespace ZapModule {

// The browser edition loads no library (emscripten's dlopen aborts rather than fails): its sound
// is the page's own component, which the page puts into SoundFactory itself.
#ifndef __EMSCRIPTEN__
namespace {

constexpr std::string_view kTitle = "Zapwall";

#ifdef _WIN32
std::wstring Widen(const std::string& text) {
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(length > 0 ? length - 1 : 0, L'\0');
    if (length > 1) MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, wide.data(), length);
    return wide;
}
void* OpenLibrary(const std::string& path) {
    return LoadLibraryExW(Widen(path).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}
void CloseLibrary(void* handle) {
    FreeLibrary(static_cast<HMODULE>(handle));
}
void* FindSymbol(void* handle, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name));
}
#else
void* OpenLibrary(const std::string& path) {
    // The library's audio stack may leave thread-local destructors and hooks behind, so its code
    // stays mapped until the process ends, even after the last user let go.
    return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
}
void CloseLibrary(void* handle) {
    dlclose(handle);
}
void* FindSymbol(void* handle, const char* name) {
    return dlsym(handle, name);
}
#endif

}  // namespace

// One loaded copy of the library with the entry points it offers (null where one is missing).
class SoundLibrary {
  public:
    static std::shared_ptr<SoundLibrary> Load(const std::string& path) {
        void* handle = OpenLibrary(path);
        if (handle == nullptr) return nullptr;
        return std::shared_ptr<SoundLibrary>(new SoundLibrary(handle));
    }
    ~SoundLibrary() { CloseLibrary(handle_); }
    SoundLibrary(const SoundLibrary&) = delete;
    SoundLibrary& operator=(const SoundLibrary&) = delete;

    const ZapwallServerFunction Register;
    const ZapwallServerFunction Unregister;
    const ZapwallCreateSoundPlayerFunction CreatePlayer;

  private:
    explicit SoundLibrary(void* handle)
        : Register(reinterpret_cast<ZapwallServerFunction>(
              FindSymbol(handle, ZAPWALL_REGISTER_SERVER_NAME))),
          Unregister(reinterpret_cast<ZapwallServerFunction>(
              FindSymbol(handle, ZAPWALL_UNREGISTER_SERVER_NAME))),
          CreatePlayer(reinterpret_cast<ZapwallCreateSoundPlayerFunction>(
              FindSymbol(handle, ZAPWALL_CREATE_SOUND_PLAYER_NAME))),
          handle_(handle) {}

    void* handle_;
};

namespace {

// The game's SoundComponent over one player object of the library.
class LibrarySound final : public SoundComponent {
  public:
    LibrarySound(std::shared_ptr<SoundLibrary> library, ZapwallSoundPlayer* player)
        : library_(std::move(library)), player_(player), table_(*player->Table) {}
    ~LibrarySound() override { table_.Release(player_); }
    LibrarySound(const LibrarySound&) = delete;
    LibrarySound& operator=(const LibrarySound&) = delete;

    void Update(int32_t arg) override { table_.Update(player_, arg); }
    void StopAll() override { table_.StopAll(player_); }
    int16_t Play(std::string_view path, int32_t arg2, int32_t arg3) override {
        path_.assign(path);  // reuses its buffer: no allocation once the longest path was seen
        return table_.Play(player_, path_.c_str(), arg2, arg3);
    }
    void Close() override { table_.Close(player_); }
    std::string Query() override {
        const char* text = table_.Query(player_);
        return text != nullptr ? text : "";
    }
    void Open(int32_t arg1, intptr_t window, int32_t arg3, int32_t channels) override {
        table_.Open(player_, arg1, window, arg3, channels);
    }
    void ExtraStart() override { table_.ExtraStart(player_); }
    void ExtraSelect(std::string_view name) override {
        table_.ExtraSelect(player_, std::string(name).c_str());
    }

  private:
    std::shared_ptr<SoundLibrary> library_;  // keeps the code loaded while the player lives
    ZapwallSoundPlayer* player_;
    const ZapwallSoundPlayerTable& table_;
    std::string path_;
};

// A table of at least this interface version, with every entry present.
bool Usable(const ZapwallSoundPlayer* player) {
    if (player == nullptr || player->Table == nullptr) return false;
    const ZapwallSoundPlayerTable& t = *player->Table;
    return t.Version >= ZAPWALL_SOUND_ABI_VERSION && t.Size >= sizeof(ZapwallSoundPlayerTable) &&
           t.Update && t.StopAll && t.Play && t.Close && t.Query && t.Open && t.ExtraStart &&
           t.ExtraSelect && t.Release;
}

// What RegisterSound leaves in GameState::SoundFactory. UnregisterSound finds the library
// through it again.
struct LibrarySoundFactory {
    std::shared_ptr<SoundLibrary> Library;
    bool Registered = false;

    std::unique_ptr<SoundComponent> operator()() const {
        if (!Registered) return nullptr;
        ZapwallSoundPlayer* player = Library->CreatePlayer(ZAPWALL_SOUND_ABI_VERSION);
        if (!Usable(player)) return nullptr;  // a library from another age: stay silent
        return std::make_unique<LibrarySound>(Library, player);
    }
};

void Report(GameState& s, std::string_view text) {
    if (s.Window != nullptr) s.Window->ShowMessage(text, kTitle, MessageButtons::Ok);
}

}  // namespace
#endif

std::string ProgramFolder() {
#ifdef _WIN32
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), path.size());
        if (length == 0) return ".";
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    const std::u8string folder = std::filesystem::path(path).parent_path().u8string();
    return std::string(folder.begin(), folder.end());
#elif defined(__EMSCRIPTEN__)
    // Under node the program is its .js file, whose path node keeps; a page has no folder.
    std::string folder(4096, '\0');
    folder.resize(EM_ASM_INT(
        {
            if (typeof process != 'object' || typeof require != 'function') return 0;
            const path = require('path').dirname(require('fs').realpathSync(process.argv[1]));
            return stringToUTF8(path, $0, $1);
        },
        folder.data(), folder.size()));
    return folder.empty() ? "." : folder;
#else
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error || !program.has_parent_path()) return ".";
    return program.parent_path().string();
#endif
}

#ifdef __EMSCRIPTEN__
// Nothing to load, nothing to clean up: SoundFactory stays as the page set it.
SoundRegistration::~SoundRegistration() = default;
SoundRegistration LoadSoundLibrary(const std::string&) {
    return {};
}
void RegisterSound(GameState&, SoundRegistration) {}
void RegisterSound(GameState&, const std::string&) {}
void UnregisterSound(GameState&) {}
#else
SoundRegistration::~SoundRegistration() {
    if (library_ != nullptr && registered_ && library_->Unregister != nullptr)
        library_->Unregister();
}

SoundRegistration LoadSoundLibrary(const std::string& folder) {
    const std::string path =
        (folder.empty() ? std::string(".") : folder) + "/" + std::string(kSoundLibraryFile);
    SoundRegistration registration;
    registration.library_ = SoundLibrary::Load(path);
    if (const SoundLibrary* library = registration.library_.get())
        registration.registered_ = library->Register != nullptr &&
                                   library->CreatePlayer != nullptr && library->Register() == 0;
    return registration;
}

void RegisterSound(GameState& s, SoundRegistration registration) {
    if (registration.library_ == nullptr) {
        s.SoundFactory = nullptr;
        Report(s, kSoundLoadFailedText);
        return;
    }
    const bool registered = registration.registered_;
    // Kept even when registration failed, so that UnregisterSound still reaches the library.
    s.SoundFactory = LibrarySoundFactory{std::move(registration.library_), registered};
    if (!registered) Report(s, kSoundLoadFailedText);
}

void RegisterSound(GameState& s, const std::string& folder) {
    RegisterSound(s, LoadSoundLibrary(folder));
}

void UnregisterSound(GameState& s) {
    const auto* factory = s.SoundFactory.target<LibrarySoundFactory>();
    const bool done = factory != nullptr && factory->Library->Unregister != nullptr &&
                      factory->Library->Unregister() == 0;
    if (!done) Report(s, kSoundCleanupFailedText);
}
#endif

}  // namespace ZapModule
