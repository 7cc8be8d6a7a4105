// Inside the kit: game controllers through SDL's game-controller API. Each
// controller is opened when it is plugged in (and for those present at
// start), its controls are recorded for gamepad_keys, and the application is
// told of every controller that comes and goes. Main thread only.
#pragma once

#include <map>
#include <string>

#include "gamepad_keys.h"

namespace kit {

class Gamepads {
public:
    // Opens SDL's game-controller subsystem; without one, there are no
    // controllers and nothing is reported.
    void Start();
    void Stop();
    // Handles a controller event (an SDL_Event); false for other events.
    bool HandleEvent(const void* event);
    // While no window of the program has the keyboard, every control reads
    // as released.
    void SetFocused(bool focused);

private:
    struct Open {
        void* controller;  // SDL_GameController
        std::string name;
    };
    void Recompute();

    bool fStarted = false;
    bool fFocused = true;
    std::map<int, Open> fOpen;  // by joystick instance id
};

// The SDL game-controller button (an SDL_GameControllerButton) of `control`,
// which is below B_GAMEPAD_CONTROLS.
int controller_button(gamepad_control control);

}  // namespace kit
