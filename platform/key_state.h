// The keyboard state by BeOS key code: a GUI thread records key presses and
// releases, any thread reads the whole state. No windowing dependency.
#pragma once

#include <cstdint>

using status_t = int32_t;
constexpr status_t B_OK = 0;

// A 32-bit modifier word, then one bit per key code: key code k is held when
// bit (7 - k % 8) of key_states[k / 8] is set.
struct key_info {
    uint32_t modifiers;
    uint8_t key_states[16];
};

status_t get_key_info(key_info* info);
// The key_states part of get_key_info: what a reader of held keys by key code
// (the board's input mapping) is handed.
void read_key_states(uint8_t states[16]);

// Records key code `code` (0 to 127) as held or released.
void set_key_state(uint8_t code, bool held);
// Releases every key (focus lost, tests).
void clear_key_states();
