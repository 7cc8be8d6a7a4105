// The keys as the board and the program use them: the key codes by name
// (key_positions.h, which the kit's key map shares), the top row's digits the
// board reads, and the held keys.
#pragma once

#include <cstdint>

#include "key_positions.h"

constexpr uint8_t kKeyDigit[5] = {kKeyDigit1, kKeyDigit2, kKeyDigit3, kKeyDigit4, kKeyDigit5};  // the top row's 1 to 5

// The held keys: key code k is held when bit (7 - k % 8) of bytes[k / 8] is
// set, as in key_info.
struct KeyStates {
    uint8_t bytes[16] = {};

    void hold(uint8_t code) { bytes[code / 8] |= static_cast<uint8_t>(0x80u >> (code % 8)); }
    void release(uint8_t code) { bytes[code / 8] &= static_cast<uint8_t>(~(0x80u >> (code % 8))); }
    bool held(uint8_t code) const { return (bytes[code / 8] & (0x80u >> (code % 8))) != 0; }
};

// Fills the held keys, in KeyStates' layout.
using KeySource = void (*)(uint8_t keyStates[16]);
