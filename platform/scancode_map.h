// The fixed table from physical key positions (SDL scancodes, which are USB
// HID keyboard usage ids) to BeOS key codes, which also name positions.
#pragma once

// The BeOS key code (1 to 127) of an SDL scancode; -1 for keys without one.
int beos_key_for_scancode(int scancode);
