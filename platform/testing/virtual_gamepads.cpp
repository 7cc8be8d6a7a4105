// Game controllers of the program's own, through SDL's virtual joystick
// driver. Plugged in, driven and unplugged on the event loop's thread, which
// then sees them come and go as it sees real ones.
#include <SDL.h>

#include <map>
#include <string>

#include "automation_hooks.h"
#include "gamepad_events.h"
#include "synthetic_input.h"

namespace kit {

namespace {

// By joystick instance id: the joystick that drives the controller. Main
// thread only.
std::map<SDL_JoystickID, SDL_Joystick*> gVirtual;

// The device index of a joystick instance, -1 when it is gone.
int device_index(SDL_JoystickID instance) {
    for (int i = 0; i < SDL_NumJoysticks(); ++i)
        if (SDL_JoystickGetDeviceInstanceID(i) == instance) return i;
    return -1;
}

int attach(const char* name) {
    if (!SDL_WasInit(SDL_INIT_GAMECONTROLLER)) return -1;  // no game-controller support
    SDL_VirtualJoystickDesc description;
    SDL_zero(description);
    description.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    description.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    description.naxes = SDL_CONTROLLER_AXIS_MAX;
    description.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    description.name = name;
    const int index = SDL_JoystickAttachVirtualEx(&description);
    if (index < 0) return -1;
    SDL_Joystick* joystick = SDL_JoystickOpen(index);
    if (!joystick) {
        SDL_JoystickDetachVirtual(index);
        return -1;
    }
    const SDL_JoystickID instance = SDL_JoystickInstanceID(joystick);
    gVirtual[instance] = joystick;
    return instance;
}

bool set_control(int id, gamepad_control control, bool held) {
    const auto found = gVirtual.find(id);
    if (found == gVirtual.end() || control < 0 || control >= B_GAMEPAD_CONTROLS) return false;
    return SDL_JoystickSetVirtualButton(found->second, controller_button(control), held) == 0;
}

bool set_stick(int id, int x, int y) {
    const auto found = gVirtual.find(id);
    if (found == gVirtual.end()) return false;
    const auto clamp = [](int v) { return static_cast<Sint16>(v < -32768 ? -32768 : v > 32767 ? 32767 : v); };
    return SDL_JoystickSetVirtualAxis(found->second, SDL_CONTROLLER_AXIS_LEFTX, clamp(x)) == 0 &&
           SDL_JoystickSetVirtualAxis(found->second, SDL_CONTROLLER_AXIS_LEFTY, clamp(y)) == 0;
}

bool detach(int id) {
    const auto found = gVirtual.find(id);
    if (found == gVirtual.end()) return false;
    const int index = device_index(id);
    SDL_JoystickClose(found->second);
    gVirtual.erase(found);
    return index >= 0 && SDL_JoystickDetachVirtual(index) == 0;
}

}  // namespace

int attach_virtual_gamepad(const char* name) {
    const std::string label = name ? name : "";
    int id = -1;
    run_on_gui([&](Gui&) { return (id = attach(label.c_str())) >= 0; });
    return id;
}

bool set_virtual_gamepad_control(int id, gamepad_control control, bool held) {
    return run_on_gui([=](Gui&) { return set_control(id, control, held); });
}

bool set_virtual_gamepad_stick(int id, int x, int y) {
    return run_on_gui([=](Gui&) { return set_stick(id, x, y); });
}

bool detach_virtual_gamepad(int id) {
    return run_on_gui([=](Gui&) { return detach(id); });
}

void detach_virtual_gamepads() {
    for (auto& [instance, joystick] : gVirtual) {
        const int index = device_index(instance);
        SDL_JoystickClose(joystick);
        if (index >= 0) SDL_JoystickDetachVirtual(index);
    }
    gVirtual.clear();
}

}  // namespace kit
