// The menu tree of the main window, its command codes and the controller
// choices the Controller menu records.
#pragma once

#include <cstdint>

#include "kit.h"

// Command codes.
constexpr uint32_t kCmdBoot = 0x8040;
constexpr uint32_t kCmdPlaySample = 0x8033;
constexpr uint32_t kCmdFreeRom = 0x8001;
constexpr uint32_t kCmdRomInfo = 0x8022;
constexpr uint32_t kCmdServiceMode = 0x8004;
constexpr uint32_t kCmdPause = 0x8005;
constexpr uint32_t kCmdReset = 0x8006;
constexpr uint32_t kCmdDebug = 0x8009;
constexpr uint32_t kCmdWorkbench = 0x8060;  // opens or closes the workbench
constexpr uint32_t kCmdSpeed30 = 0x8011;
constexpr uint32_t kCmdSpeed60 = 0x8012;
constexpr uint32_t kCmdSpeedUnlimited = 0x8013;
constexpr uint32_t kCmdAbout = 0x8007;
constexpr uint32_t kCmdRecordFromPowerOn = 0x8050;
constexpr uint32_t kCmdRecordFromHere = 0x8051;
constexpr uint32_t kCmdPlayMovie = 0x8052;
constexpr uint32_t kCmdStopMovie = 0x8053;
constexpr uint32_t kCmdKeyboard = 0x9000;
constexpr uint32_t kCmdJoystick = 0x9001;
constexpr uint32_t kCmdLoadStateBase = 9001;  // slots 0 to 7
constexpr uint32_t kCmdSaveStateBase = 9101;
constexpr uint32_t kCmdKeyBase[4] = {4000, 4100, 4200, 4300};  // Start, Select, Button A, Button B
constexpr int kKeyCount = 34;

extern BMenuBar* menuBar;
extern BMenuItem* romInfoItem;
extern BMenu* tmpMenu;   // "Load state"
extern BMenu* tmpMenu2;  // "Save state"
extern BMenuItem* fSkip[3];
extern BMenuItem* fController[2];
extern BMenu* menus[5];  // "Keyboard configuration", "Start", "Select", "Button A", "Button B"

extern uint8_t controlType;            // 0 keyboard, 1 joystick
extern uint8_t keyboardConfig[4];      // key codes of Start, Select, Button A, Button B
extern const uint8_t keyCodesArray[kKeyCount];
extern const char* const keyLabels[kKeyCount];

// Fills menuBar with the whole tree of the command table (commands.h), in
// its initial states.
void buildMenus();
// Enables or disables the items and submenus as their rows say now (once a
// game is booted).
void updateEnabledMenus();

// Whether `code` is one of the key items; if so, which submenu (0 to 3) and
// which position (0 to 33).
bool keyChoiceOf(uint32_t code, int* submenu, int* position);
// Records the key of item `code` for its function and moves its submenu's mark.
void chooseKey(uint32_t code);
// Marks "Keyboard" (0) or "Joystick" (1) and records the choice; with
// Joystick, game controllers play as well as the keyboard.
void chooseController(uint8_t type);
