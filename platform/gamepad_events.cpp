#include "gamepad_events.h"

#include <SDL.h>

#include "application.h"

namespace kit {

namespace {

// The left stick counts as a direction once pushed past half way.
constexpr Sint16 kStickThreshold = 16384;

constexpr SDL_GameControllerButton kButtons[B_GAMEPAD_CONTROLS] = {
    SDL_CONTROLLER_BUTTON_DPAD_UP, SDL_CONTROLLER_BUTTON_DPAD_DOWN, SDL_CONTROLLER_BUTTON_DPAD_LEFT,
    SDL_CONTROLLER_BUTTON_DPAD_RIGHT, SDL_CONTROLLER_BUTTON_A, SDL_CONTROLLER_BUTTON_B,
    SDL_CONTROLLER_BUTTON_X, SDL_CONTROLLER_BUTTON_Y, SDL_CONTROLLER_BUTTON_BACK,
    SDL_CONTROLLER_BUTTON_START,
};

uint32_t bit(gamepad_control control) { return 1u << control; }

uint32_t controls_of(SDL_GameController* controller) {
    uint32_t held = 0;
    for (int control = 0; control < B_GAMEPAD_CONTROLS; ++control)
        if (SDL_GameControllerGetButton(controller, kButtons[control])) held |= 1u << control;
    const Sint16 x = SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_LEFTX);
    const Sint16 y = SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_LEFTY);
    if (x <= -kStickThreshold) held |= bit(B_GAMEPAD_LEFT);
    if (x >= kStickThreshold) held |= bit(B_GAMEPAD_RIGHT);
    if (y <= -kStickThreshold) held |= bit(B_GAMEPAD_UP);
    if (y >= kStickThreshold) held |= bit(B_GAMEPAD_DOWN);
    return held;
}

void tell_application(uint32 what, const std::string& name) {
    if (!be_app) return;
    BMessage message(what);
    message.AddString("name", name.c_str());
    be_app->PostMessage(&message);
}

}  // namespace

void Gamepads::Start() {
    if (fStarted) return;
    // Controls are read while another program has the keyboard too; the
    // kit releases them itself when the window loses the keyboard.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    fStarted = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
}

void Gamepads::Stop() {
    if (!fStarted) return;
    for (auto& [instance, open] : fOpen) SDL_GameControllerClose(static_cast<SDL_GameController*>(open.controller));
    fOpen.clear();
    set_gamepad_controls(0);
    SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    fStarted = false;
}

void Gamepads::SetFocused(bool focused) {
    fFocused = focused;
    Recompute();
}

void Gamepads::Recompute() {
    uint32_t held = 0;
    if (fFocused)
        for (auto& [instance, open] : fOpen) held |= controls_of(static_cast<SDL_GameController*>(open.controller));
    set_gamepad_controls(held);
}

bool Gamepads::HandleEvent(const void* raw) {
    const SDL_Event& event = *static_cast<const SDL_Event*>(raw);
    switch (event.type) {
        case SDL_CONTROLLERDEVICEADDED: {
            SDL_GameController* controller = SDL_GameControllerOpen(event.cdevice.which);
            if (!controller) return true;
            const SDL_JoystickID instance = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(controller));
            if (fOpen.count(instance)) {  // reported twice: keep one
                SDL_GameControllerClose(controller);
                return true;
            }
            const char* name = SDL_GameControllerName(controller);
            fOpen[instance] = {controller, name && *name ? name : "unnamed controller"};
            tell_application(B_GAMEPAD_CONNECTED, fOpen[instance].name);
            break;
        }
        case SDL_CONTROLLERDEVICEREMOVED: {
            const auto found = fOpen.find(event.cdevice.which);
            if (found == fOpen.end()) return true;
            SDL_GameControllerClose(static_cast<SDL_GameController*>(found->second.controller));
            tell_application(B_GAMEPAD_DISCONNECTED, found->second.name);
            fOpen.erase(found);
            break;
        }
        case SDL_CONTROLLERAXISMOTION:
        case SDL_CONTROLLERBUTTONDOWN:
        case SDL_CONTROLLERBUTTONUP:
            break;
        default:
            return false;
    }
    Recompute();
    return true;
}

int controller_button(gamepad_control control) { return kButtons[control]; }

}  // namespace kit
