#include "joypad.h"

#include <array>

namespace {

struct Binding {
    unsigned button;  // RETRO_DEVICE_ID_JOYPAD_*
    uint8_t key;      // the board's key it holds
    const char* description;
};

// Input port 0x500000: the joystick and the three buttons; 0x500004: the
// switches (the desktop program's keys 1 to 5).
constexpr std::array<Binding, 12> kBindings = {{
    {RETRO_DEVICE_ID_JOYPAD_UP, kKeyUp, "Up"},
    {RETRO_DEVICE_ID_JOYPAD_DOWN, kKeyDown, "Down"},
    {RETRO_DEVICE_ID_JOYPAD_LEFT, kKeyLeft, "Left"},
    {RETRO_DEVICE_ID_JOYPAD_RIGHT, kKeyRight, "Right"},
    {RETRO_DEVICE_ID_JOYPAD_B, kKeyLeftAlt, "Button 1"},
    {RETRO_DEVICE_ID_JOYPAD_A, kKeySpace, "Button 2"},
    {RETRO_DEVICE_ID_JOYPAD_Y, kKeyLeftShift, "Button 3"},
    {RETRO_DEVICE_ID_JOYPAD_SELECT, kKeyDigit[0], "Switch 1"},
    {RETRO_DEVICE_ID_JOYPAD_START, kKeyDigit[1], "Switch 2"},
    {RETRO_DEVICE_ID_JOYPAD_L, kKeyDigit[2], "Switch 3"},
    {RETRO_DEVICE_ID_JOYPAD_R, kKeyDigit[3], "Switch 4"},
    {RETRO_DEVICE_ID_JOYPAD_L2, kKeyDigit[4], "Switch 5"},
}};

std::array<retro_input_descriptor, kBindings.size() + 1> make_descriptors() {
    std::array<retro_input_descriptor, kBindings.size() + 1> list{};
    for (size_t i = 0; i < kBindings.size(); ++i)
        list[i] = {0, RETRO_DEVICE_JOYPAD, 0, kBindings[i].button, kBindings[i].description};
    return list;  // the last entry's null description ends the list
}

const auto kDescriptors = make_descriptors();

}  // namespace

const retro_input_descriptor* joypad_descriptors() { return kDescriptors.data(); }

KeyStates joypad_keys(retro_input_state_t state) {
    KeyStates keys;
    if (!state) return keys;
    for (const Binding& b : kBindings)
        if (state(0, RETRO_DEVICE_JOYPAD, 0, b.button) != 0) keys.hold(b.key);
    return keys;
}
