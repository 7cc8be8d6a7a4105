// Player inputs: the held keys become the active-low bits of input ports
// 0x500000 (joystick and buttons) and 0x500004 (the five switches).
#include "board.h"

namespace {
KeySource keySource = nullptr;

// Port 0x500004 bit of each top-row digit key (bit 4 is not wired to a key).
constexpr uint8_t kDigitBit[5] = {0, 1, 2, 3, 5};

bool held(const uint8_t keys[16], uint8_t code) { return (keys[code / 8] & (0x80u >> (code % 8))) != 0; }
}  // namespace

void pm_setKeySource(KeySource source) { keySource = source; }

void acquire_keyboard() {
    uint8_t keys[16] = {};
    if (keySource) keySource(keys);

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
