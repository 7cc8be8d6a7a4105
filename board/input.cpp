// Player inputs: the held keys become the active-low bits of input ports
// 0x500000 (joystick and buttons) and 0x500004 (coins and start buttons).
#include "board.h"
#include "key_state.h"

namespace {
// Platform key codes: physical key positions, whatever the layout prints on them.
constexpr uint8_t kKeyUp = 0x57;
constexpr uint8_t kKeyDown = 0x62;
constexpr uint8_t kKeyLeft = 0x61;
constexpr uint8_t kKeyRight = 0x63;
constexpr uint8_t kKeyLeftAlt = 0x5D;
constexpr uint8_t kKeySpace = 0x5E;
constexpr uint8_t kKeyLeftShift = 0x4B;
constexpr uint8_t kKeyDigit[5] = {0x12, 0x13, 0x14, 0x15, 0x16};  // top-row 1 to 5

// Port 0x500004 bit of each top-row digit key (bit 4 is not wired to a key).
constexpr uint8_t kDigitBit[5] = {0, 1, 2, 3, 5};

bool held(const key_info& keys, uint8_t code) {
    return (keys.key_states[code / 8] & (0x80u >> (code % 8))) != 0;
}
}  // namespace

void acquire_keyboard() {
    key_info keys;
    get_key_info(&keys);

    // Opposite directions never read as pressed together: Up wins over Down,
    // Right over Left. Bit 7 is always 0.
    unsigned player = 0x7F;
    if (held(keys, kKeyUp)) player &= ~0x01u;
    else if (held(keys, kKeyDown)) player &= ~0x02u;
    if (held(keys, kKeyRight)) player &= ~0x08u;
    else if (held(keys, kKeyLeft)) player &= ~0x04u;
    if (held(keys, kKeyLeftAlt)) player &= ~0x10u;
    if (held(keys, kKeySpace)) player &= ~0x20u;
    if (held(keys, kKeyLeftShift)) player &= ~0x40u;

    // Bit 6 is always 0, bits 4 and 7 always 1.
    unsigned system = 0xBF;
    for (int k = 0; k < 5; ++k)
        if (held(keys, kKeyDigit[k])) system &= ~(1u << kDigitBit[k]);

    IOBuf[0] = static_cast<unsigned char>(player);
    IOBuf[4] = static_cast<unsigned char>(system);
}
