#include "frontend/gamepad_input.h"

#include <SDL.h>

#include <algorithm>

namespace ZapModule {

namespace {

// The stick counts as pushed past a third of its way and as let go back inside a sixth, so a
// stick resting near the threshold does not flicker.
constexpr int kStickPushed = 32767 / 3;
constexpr int kStickLetGo = 32767 / 6;

// The device folder's changes are looked at for a while: the new node becomes readable only once
// the system has set it up.
constexpr std::chrono::milliseconds kSettleLook{250};
constexpr int kSettleLooks = 8;

}  // namespace

struct GamepadInput::Pad {
    SDL_GameController* Controller;
    SDL_JoystickID Instance;
    bool DpadUp = false, DpadDown = false, StickUp = false, StickDown = false;
    bool Up = false, Down = false;  // the arrows as delivered
};

GamepadInput::GamepadInput(Deliver deliver) : deliver_(std::move(deliver)) {
    // The game owns Ctrl+C and the terminal, as the sound library has SDL know.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    available_ = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
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
    if (!available_ || SDL_WasInit(SDL_INIT_GAMECONTROLLER) == 0) return;
    for (const std::unique_ptr<Pad>& pad : pads_) SDL_GameControllerClose(pad->Controller);
    SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
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
    if (SDL_WasInit(SDL_INIT_GAMECONTROLLER) == 0) {
        // SDL ended with the sound library: the game is ending too.
        available_ = false;
        pads_.clear();
        reading_.stop();
        return;
    }
    // Every event is taken out of SDL's queue, so that none piles up; the controllers' are used.
    SDL_Event event;
    while (SDL_PollEvent(&event) == 1) {
        switch (event.type) {
            case SDL_CONTROLLERDEVICEADDED: {
                SDL_GameController* controller = SDL_GameControllerOpen(event.cdevice.which);
                if (controller == nullptr) break;
                const SDL_JoystickID instance =
                    SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(controller));
                if (Find(instance) != nullptr) {
                    SDL_GameControllerClose(controller);  // opened twice: once is kept
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
    SDL_GameControllerClose(pad->Controller);
    pads_.erase(std::find_if(pads_.begin(), pads_.end(),
                             [&](const std::unique_ptr<Pad>& p) { return p.get() == pad; }));
}

}  // namespace ZapModule
