// The RetroPad of port 0 as the board's controls: d-pad as the joystick,
// B, A and Y as the three buttons, Select, Start, L, R and L2 as the five
// switches of the second input port.
#pragma once

#include <libretro.h>

#include <cstdint>

#include "key_codes.h"

// The descriptors of every mapped button, ended by a null description.
const retro_input_descriptor* joypad_descriptors();

// The held keys for what `state` reports of the joypad on port 0.
KeyStates joypad_keys(retro_input_state_t state);
