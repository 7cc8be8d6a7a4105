// Key codes: a key's position on a 101/102-key keyboard, numbered as the kit's
// key state (key_info) numbers them and named after what a US keyboard prints
// there. The one list of them: the kit maps the host's keys to these
// (platform/scancode_map.cpp), the board reads its player inputs by them and
// the program's hotkeys and Controller menu name them (board/key_codes.h).
// No dependencies, so both the kit and the board include it.
#pragma once

#include <cstdint>

// The top row: Escape, F1 to F12, Print screen, Scroll lock, Pause.
constexpr uint8_t kKeyEscape = 0x01;
constexpr uint8_t kKeyF1 = 0x02, kKeyF2 = 0x03, kKeyF3 = 0x04, kKeyF4 = 0x05, kKeyF5 = 0x06, kKeyF6 = 0x07,
                  kKeyF7 = 0x08, kKeyF8 = 0x09, kKeyF9 = 0x0A, kKeyF10 = 0x0B, kKeyF11 = 0x0C, kKeyF12 = 0x0D;
constexpr uint8_t kKeyPrintScreen = 0x0E, kKeyScrollLock = 0x0F, kKeyPause = 0x10;

// The digits' row, Insert, Home, Page up and the keypad's top row.
constexpr uint8_t kKeyGrave = 0x11;
constexpr uint8_t kKeyDigit1 = 0x12, kKeyDigit2 = 0x13, kKeyDigit3 = 0x14, kKeyDigit4 = 0x15, kKeyDigit5 = 0x16,
                  kKeyDigit6 = 0x17, kKeyDigit7 = 0x18, kKeyDigit8 = 0x19, kKeyDigit9 = 0x1A, kKeyDigit0 = 0x1B;
constexpr uint8_t kKeyMinus = 0x1C, kKeyEquals = 0x1D, kKeyBackspace = 0x1E;
constexpr uint8_t kKeyInsert = 0x1F, kKeyHome = 0x20, kKeyPageUp = 0x21;
constexpr uint8_t kKeyNumLock = 0x22, kKeyKeypadDivide = 0x23, kKeyKeypadMultiply = 0x24, kKeyKeypadMinus = 0x25;

// Tab's row, Delete, End, Page down and the keypad's 7 8 9 +.
constexpr uint8_t kKeyTab = 0x26;
constexpr uint8_t kKeyQ = 0x27, kKeyW = 0x28, kKeyE = 0x29, kKeyR = 0x2A, kKeyT = 0x2B, kKeyY = 0x2C,
                  kKeyU = 0x2D, kKeyI = 0x2E, kKeyO = 0x2F, kKeyP = 0x30;
constexpr uint8_t kKeyLeftBracket = 0x31, kKeyRightBracket = 0x32, kKeyBackslash = 0x33;
constexpr uint8_t kKeyDelete = 0x34, kKeyEnd = 0x35, kKeyPageDown = 0x36;
constexpr uint8_t kKeyKeypad7 = 0x37, kKeyKeypad8 = 0x38, kKeyKeypad9 = 0x39, kKeyKeypadPlus = 0x3A;

// Caps lock's row and the keypad's 4 5 6.
constexpr uint8_t kKeyCapsLock = 0x3B;
constexpr uint8_t kKeyA = 0x3C, kKeyS = 0x3D, kKeyD = 0x3E, kKeyF = 0x3F, kKeyG = 0x40, kKeyH = 0x41,
                  kKeyJ = 0x42, kKeyK = 0x43, kKeyL = 0x44, kKeySemicolon = 0x45, kKeyApostrophe = 0x46;
constexpr uint8_t kKeyEnter = 0x47;
constexpr uint8_t kKeyKeypad4 = 0x48, kKeyKeypad5 = 0x49, kKeyKeypad6 = 0x4A;

// Shift's row, Up and the keypad's 1 2 3 Enter.
constexpr uint8_t kKeyLeftShift = 0x4B;
constexpr uint8_t kKeyZ = 0x4C, kKeyX = 0x4D, kKeyC = 0x4E, kKeyV = 0x4F, kKeyB = 0x50, kKeyN = 0x51,
                  kKeyM = 0x52, kKeyComma = 0x53, kKeyPeriod = 0x54, kKeySlash = 0x55;
constexpr uint8_t kKeyRightShift = 0x56;
constexpr uint8_t kKeyUp = 0x57;
constexpr uint8_t kKeyKeypad1 = 0x58, kKeyKeypad2 = 0x59, kKeyKeypad3 = 0x5A, kKeyKeypadEnter = 0x5B;

// The space bar's row, the other arrows and the keypad's 0 and point.
constexpr uint8_t kKeyLeftCtrl = 0x5C, kKeyLeftAlt = 0x5D, kKeySpace = 0x5E, kKeyRightAlt = 0x5F,
                  kKeyRightCtrl = 0x60;
constexpr uint8_t kKeyLeft = 0x61, kKeyDown = 0x62, kKeyRight = 0x63;
constexpr uint8_t kKeyKeypad0 = 0x64, kKeyKeypadPeriod = 0x65;

// The keys of later keyboards: the two system keys, the menu key and the
// 102-key keyboard's extra key beside Left shift.
constexpr uint8_t kKeyLeftSystem = 0x66, kKeyRightSystem = 0x67, kKeyMenu = 0x68, kKeyNonUsBackslash = 0x69;
