// SPDX-License-Identifier: GPL-3.0-or-later
#include "frontend/gamepad_input.h"

#include <SDL.h>

#include <QLibrary>
#include <algorithm>
#include <optional>
#include <type_traits>

namespace ZapModule {

namespace {

#ifdef _WIN32
constexpr char kSdlLibrary[] = "SDL2.dll";
#else
constexpr char kSdlLibrary[] = "libSDL2-2.0.so.0";
#endif

// The stick counts as pushed past a third of its way and as let go back inside a sixth, so a
// stick resting near the threshold does not flicker.
constexpr int kStickPushed = 32767 / 3;
constexpr int kStickLetGo = 32767 / 6;

// The device folder's changes are looked at for a while: the new node becomes readable only once
// the system has set it up.
constexpr std::chrono::milliseconds kSettleLook{250};
constexpr int kSettleLooks = 8;

}  // namespace

// The SDL calls the controllers need. The program does not link SDL: mapping it with the thirty
// libraries it needs would hold up start-up before the menu shows (the sound library loads it on
// a thread of its own). It is looked up when the first game screen shows.
struct GamepadInput::SdlCalls {
    decltype(&SDL_SetHint) SetHint = nullptr;
    decltype(&SDL_InitSubSystem) InitSubSystem = nullptr;
    decltype(&SDL_QuitSubSystem) QuitSubSystem = nullptr;
    decltype(&SDL_WasInit) WasInit = nullptr;
    decltype(&SDL_PollEvent) PollEvent = nullptr;
    decltype(&SDL_GameControllerOpen) GameControllerOpen = nullptr;
    decltype(&SDL_GameControllerClose) GameControllerClose = nullptr;
    decltype(&SDL_GameControllerGetJoystick) GameControllerGetJoystick = nullptr;
    decltype(&SDL_JoystickInstanceID) JoystickInstanceID = nullptr;
};

// The library stays loaded for the rest of the process.
const GamepadInput::SdlCalls* GamepadInput::LoadSdl() {
    static const std::optional<SdlCalls> calls = []() -> std::optional<SdlCalls> {
        QLibrary library(QString::fromLatin1(kSdlLibrary));
        if (!library.load()) return std::nullopt;
        SdlCalls found;
        bool complete = true;
        auto find = [&](auto& call, const char* name) {
            call = reinterpret_cast<std::remove_reference_t<decltype(call)>>(library.resolve(name));
            complete = complete && call != nullptr;
        };
        find(found.SetHint, "SDL_SetHint");
        find(found.InitSubSystem, "SDL_InitSubSystem");
        find(found.QuitSubSystem, "SDL_QuitSubSystem");
        find(found.WasInit, "SDL_WasInit");
        find(found.PollEvent, "SDL_PollEvent");
        find(found.GameControllerOpen, "SDL_GameControllerOpen");
        find(found.GameControllerClose, "SDL_GameControllerClose");
        find(found.GameControllerGetJoystick, "SDL_GameControllerGetJoystick");
        find(found.JoystickInstanceID, "SDL_JoystickInstanceID");
        if (!complete) return std::nullopt;
        return found;
    }();
    return calls ? &*calls : nullptr;
}

struct GamepadInput::Pad {
    SDL_GameController* Controller;
    SDL_JoystickID Instance;
    bool DpadUp = false, DpadDown = false, StickUp = false, StickDown = false;
    bool Up = false, Down = false;  // the arrows as delivered
};

GamepadInput::GamepadInput(Deliver deliver) : deliver_(std::move(deliver)), sdl_(LoadSdl()) {
    if (sdl_ == nullptr) return;
    // The game owns Ctrl+C and the terminal, as the sound library has SDL know.
    sdl_->SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    sdl_->SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    available_ = sdl_->InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
    if (!available_) return;
    reading_.setInterval(kReadEvery);
    reading_.setTimerType(Qt::PreciseTimer);
    connect(&reading_, &QTimer::timeout, this, &GamepadInput::Read);
    settling_.setInterval(kSettleLook);
    connect(&settling_, &QTimer::timeout, this, [this] {
        if (--settleLooks_ <= 0) settling_.stop();
        LookForControllers();
    });
    devices_.addPath(QStringLiteral("/dev/input"));
    connect(&devices_, &QFileSystemWatcher::directoryChanged, this, [this] {
        settleLooks_ = kSettleLooks;
        settling_.start();
        LookForControllers();
    });
    LookForControllers();
}

GamepadInput::~GamepadInput() {
    // When the sound library has ended SDL, the controllers were closed with it.
    if (!available_ || sdl_->WasInit(SDL_INIT_GAMECONTROLLER) == 0) return;
    for (const std::unique_ptr<Pad>& pad : pads_) sdl_->GameControllerClose(pad->Controller);
    sdl_->QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}

void GamepadInput::LookForControllers() {
    Read();
}

GamepadInput::Pad* GamepadInput::Find(int instance) {
    for (const std::unique_ptr<Pad>& pad : pads_)
        if (pad->Instance == instance) return pad.get();
    return nullptr;
}

void GamepadInput::Read() {
    if (!available_) return;
    if (sdl_->WasInit(SDL_INIT_GAMECONTROLLER) == 0) {
        // SDL ended with the sound library: the game is ending too.
        available_ = false;
        pads_.clear();
        reading_.stop();
        return;
    }
    // Every event is taken out of SDL's queue, so that none piles up; the controllers' are used.
    SDL_Event event;
    while (sdl_->PollEvent(&event) == 1) {
        switch (event.type) {
            case SDL_CONTROLLERDEVICEADDED: {
                SDL_GameController* controller = sdl_->GameControllerOpen(event.cdevice.which);
                if (controller == nullptr) break;
                const SDL_JoystickID instance =
                    sdl_->JoystickInstanceID(sdl_->GameControllerGetJoystick(controller));
                if (Find(instance) != nullptr) {
                    sdl_->GameControllerClose(controller);  // opened twice: once is kept
                    break;
                }
                pads_.push_back(std::make_unique<Pad>(Pad{controller, instance}));
                break;
            }
            case SDL_CONTROLLERDEVICEREMOVED:
                Close(event.cdevice.which);
                break;
            case SDL_CONTROLLERBUTTONDOWN:
            case SDL_CONTROLLERBUTTONUP: {
                Pad* pad = Find(event.cbutton.which);
                if (pad == nullptr) break;
                const bool down = event.type == SDL_CONTROLLERBUTTONDOWN;
                switch (event.cbutton.button) {
                    case SDL_CONTROLLER_BUTTON_A:
                        deliver_(down, Qt::Key_Space);
                        break;
                    case SDL_CONTROLLER_BUTTON_START:
                        deliver_(down, Qt::Key_P);
                        break;
                    case SDL_CONTROLLER_BUTTON_BACK:
                        deliver_(down, Qt::Key_Escape);
                        break;
                    case SDL_CONTROLLER_BUTTON_DPAD_UP:
                        pad->DpadUp = down;
                        Direction(*pad);
                        break;
                    case SDL_CONTROLLER_BUTTON_DPAD_DOWN:
                        pad->DpadDown = down;
                        Direction(*pad);
                        break;
                    default:
                        break;
                }
                break;
            }
            case SDL_CONTROLLERAXISMOTION: {
                Pad* pad = Find(event.caxis.which);
                if (pad == nullptr || event.caxis.axis != SDL_CONTROLLER_AXIS_LEFTY) break;
                const int value = event.caxis.value;  // negative is up
                pad->StickUp = pad->StickUp ? value < -kStickLetGo : value < -kStickPushed;
                pad->StickDown = pad->StickDown ? value > kStickLetGo : value > kStickPushed;
                Direction(*pad);
                break;
            }
            default:
                break;
        }
    }
    if (pads_.empty())
        reading_.stop();
    else if (!reading_.isActive())
        reading_.start();
}

void GamepadInput::Direction(Pad& pad) {
    const bool up = pad.DpadUp || pad.StickUp, down = pad.DpadDown || pad.StickDown;
    if (up != pad.Up) {
        pad.Up = up;
        deliver_(up, Qt::Key_Up);
    }
    if (down != pad.Down) {
        pad.Down = down;
        deliver_(down, Qt::Key_Down);
    }
}

void GamepadInput::Close(int instance) {
    Pad* pad = Find(instance);
    if (pad == nullptr) return;
    // A pad pulled out while held lets go of the bat.
    pad->DpadUp = pad->DpadDown = pad->StickUp = pad->StickDown = false;
    Direction(*pad);
    sdl_->GameControllerClose(pad->Controller);
    pads_.erase(std::find_if(pads_.begin(), pads_.end(),
                             [&](const std::unique_ptr<Pad>& p) { return p.get() == pad; }));
}

}  // namespace ZapModule
