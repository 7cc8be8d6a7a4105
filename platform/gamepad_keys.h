// Game controllers as keys: while switched on, the controls held on any
// connected controller hold the keys bound to them, as if they were pressed
// on the keyboard (get_key_info reports both). No windowing dependency: the
// event loop records the controls, any thread reads the keys.
#pragma once

#include <cstdint>

enum gamepad_control {
    B_GAMEPAD_UP = 0,  // the D-pad, or the left stick pushed past half way
    B_GAMEPAD_DOWN,
    B_GAMEPAD_LEFT,
    B_GAMEPAD_RIGHT,
    B_GAMEPAD_A,  // the face buttons, by their places on an Xbox-style pad
    B_GAMEPAD_B,
    B_GAMEPAD_X,
    B_GAMEPAD_Y,
    B_GAMEPAD_BACK,
    B_GAMEPAD_START,
    B_GAMEPAD_CONTROLS
};

// Posted to the application when a controller is connected or disconnected,
// with its name under "name".
constexpr uint32_t B_GAMEPAD_CONNECTED = 0x5F475043;     // '_GPC'
constexpr uint32_t B_GAMEPAD_DISCONNECTED = 0x5F475044;  // '_GPD'

// The key code (as in key_info, 0 to 127) that `control` holds; -1: none.
void set_gamepad_binding(gamepad_control control, int key);
// Whether controllers hold keys at all (off at start).
void enable_gamepad_keys(bool enabled);
bool gamepad_keys_enabled();

// For the event loop: the controls held now, bit n for control n.
void set_gamepad_controls(uint32_t held);
uint32_t gamepad_controls();

// Sets in `keyStates` (the key_states of key_info) the keys that the held
// controls hold, while controllers hold keys.
void add_gamepad_keys(uint8_t keyStates[16]);
