#include "key_state.h"

#include <atomic>
#include <cstring>

#include "gamepad_keys.h"

namespace {
std::atomic<uint8_t> states[16];
}

status_t get_key_info(key_info* info) {
    info->modifiers = 0;
    for (int i = 0; i < 16; ++i) info->key_states[i] = states[i].load(std::memory_order_relaxed);
    add_gamepad_keys(info->key_states);  // with the keys that game controllers hold
    return B_OK;
}

void read_key_states(uint8_t states[16]) {
    key_info info;
    get_key_info(&info);
    std::memcpy(states, info.key_states, sizeof info.key_states);
}

void set_key_state(uint8_t code, bool held) {
    if (code > 127) return;
    const uint8_t bit = static_cast<uint8_t>(0x80u >> (code % 8));
    if (held) states[code / 8].fetch_or(bit, std::memory_order_relaxed);
    else states[code / 8].fetch_and(static_cast<uint8_t>(~bit), std::memory_order_relaxed);
}

void clear_key_states() {
    for (auto& s : states) s.store(0, std::memory_order_relaxed);
}
