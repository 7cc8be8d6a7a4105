#include "gamepad_keys.h"

#include <atomic>

namespace {
std::atomic<int> bindings[B_GAMEPAD_CONTROLS] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
std::atomic<bool> enabled{false};
std::atomic<uint32_t> controls{0};
}  // namespace

void set_gamepad_binding(gamepad_control control, int key) {
    if (control < 0 || control >= B_GAMEPAD_CONTROLS) return;
    bindings[control].store(key >= 0 && key <= 127 ? key : -1, std::memory_order_relaxed);
}

void enable_gamepad_keys(bool on) { enabled.store(on, std::memory_order_relaxed); }

bool gamepad_keys_enabled() { return enabled.load(std::memory_order_relaxed); }

void set_gamepad_controls(uint32_t held) { controls.store(held, std::memory_order_relaxed); }

uint32_t gamepad_controls() { return controls.load(std::memory_order_relaxed); }

void add_gamepad_keys(uint8_t keyStates[16]) {
    if (!gamepad_keys_enabled()) return;
    const uint32_t held = gamepad_controls();
    for (int control = 0; control < B_GAMEPAD_CONTROLS; ++control) {
        const int key = bindings[control].load(std::memory_order_relaxed);
        if ((held >> control & 1u) && key >= 0) keyStates[key / 8] |= static_cast<uint8_t>(0x80u >> (key % 8));
    }
}
