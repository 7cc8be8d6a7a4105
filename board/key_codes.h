// Key codes: a key's position on a 101/102-key keyboard, numbered as the
// platform's key state (key_info) numbers them and named after what a US
// keyboard prints there. The board's player inputs, the program's hotkeys and
// the Controller menu's key items all use them.
#pragma once

#include <cstdint>

constexpr uint8_t kKeyEscape = 0x01;
constexpr uint8_t kKeyF1 = 0x02;  // F1 to F12 follow one another
constexpr uint8_t kKeyF3 = 0x04;
constexpr uint8_t kKeyF11 = 0x0C;
constexpr uint8_t kKeyF12 = 0x0D;
constexpr uint8_t kKeyPause = 0x10;
constexpr uint8_t kKeyDigit[5] = {0x12, 0x13, 0x14, 0x15, 0x16};  // the top row's 1 to 5
constexpr uint8_t kKeyBackspace = 0x1E;
constexpr uint8_t kKeyTab = 0x26;
constexpr uint8_t kKeyQ = 0x27, kKeyW = 0x28, kKeyE = 0x29, kKeyR = 0x2A, kKeyT = 0x2B, kKeyY = 0x2C,
                  kKeyU = 0x2D, kKeyI = 0x2E, kKeyO = 0x2F, kKeyP = 0x30;
constexpr uint8_t kKeyBackslash = 0x33;
constexpr uint8_t kKeyA = 0x3C, kKeyS = 0x3D, kKeyD = 0x3E, kKeyF = 0x3F, kKeyG = 0x40, kKeyH = 0x41,
                  kKeyJ = 0x42, kKeyK = 0x43, kKeyL = 0x44, kKeySemicolon = 0x45;
constexpr uint8_t kKeyEnter = 0x47;
constexpr uint8_t kKeyLeftShift = 0x4B;
constexpr uint8_t kKeyZ = 0x4C, kKeyX = 0x4D, kKeyC = 0x4E, kKeyV = 0x4F, kKeyB = 0x50, kKeyN = 0x51;
constexpr uint8_t kKeyRightShift = 0x56;
constexpr uint8_t kKeyUp = 0x57;
constexpr uint8_t kKeyKeypadEnter = 0x5B;
constexpr uint8_t kKeyLeftCtrl = 0x5C, kKeyLeftAlt = 0x5D, kKeySpace = 0x5E, kKeyRightAlt = 0x5F,
                  kKeyRightCtrl = 0x60;
constexpr uint8_t kKeyLeft = 0x61, kKeyDown = 0x62, kKeyRight = 0x63;

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
