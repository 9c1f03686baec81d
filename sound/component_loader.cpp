// SPDX-License-Identifier: GPL-3.0-or-later
#include "sound/component_loader.h"

#include <memory>
#include <utility>

#include "platform/shared_library.h"
#include "ports/window_port.h"
#include "ports/zapwall_sound_abi.h"

namespace ZapModule {

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

constexpr std::string_view kTitle = "Zapwall";

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

SoundRegistration::~SoundRegistration() {
    if (library_ != nullptr && registered_ && library_->Unregister != nullptr)
        library_->Unregister();
}

SoundRegistration LoadSoundLibrary(const std::string& folder) {
    if (!LoadsLibraries()) return {};
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
    // Where no library is loaded (the browser edition), SoundFactory stays as the page set it.
    if (!LoadsLibraries()) return;
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
    if (!LoadsLibraries()) return;
    const auto* factory = s.SoundFactory.target<LibrarySoundFactory>();
    const bool done = factory != nullptr && factory->Library->Unregister != nullptr &&
                      factory->Library->Unregister() == 0;
    if (!done) Report(s, kSoundCleanupFailedText);
}

}  // namespace ZapModule
