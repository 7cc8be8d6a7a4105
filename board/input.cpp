// Player inputs: the held keys become the active-low bits of input ports
// 0x500000 (joystick and buttons) and 0x500004 (the five switches).
#include "board.h"

namespace {
KeySource keySource = nullptr;

// Port 0x500004 bit of each top-row digit key (bit 4 is not wired to a key).
constexpr uint8_t kDigitBit[5] = {0, 1, 2, 3, 5};
}  // namespace

void pm_setKeySource(KeySource source) { keySource = source; }

void acquire_keyboard() {
    KeyStates keys;
    if (keySource) keySource(keys.bytes);

    // Opposite directions never read as pressed together: Up wins over Down,
    // Right over Left. Bit 7 is always 0.
    unsigned player = 0x7F;
    if (keys.held(kKeyUp)) player &= ~0x01u;
    else if (keys.held(kKeyDown)) player &= ~0x02u;
    if (keys.held(kKeyRight)) player &= ~0x08u;
    else if (keys.held(kKeyLeft)) player &= ~0x04u;
    if (keys.held(kKeyLeftAlt)) player &= ~0x10u;
    if (keys.held(kKeySpace)) player &= ~0x20u;
    if (keys.held(kKeyLeftShift)) player &= ~0x40u;

    // Bit 6 is always 0, bits 4 and 7 always 1.
    unsigned system = 0xBF;
    for (int k = 0; k < 5; ++k)
        if (keys.held(kKeyDigit[k])) system &= ~(1u << kDigitBit[k]);

    IOBuf[0] = static_cast<unsigned char>(player);
    IOBuf[4] = static_cast<unsigned char>(system);
}
