// The program's own keys: commands that never reach the board's inputs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Commands that only hotkeys send.
constexpr uint32_t kMsgScreenshot = 0x73686F74;        // 'shot': F12
constexpr uint32_t kMsgTurboOn = 0x7472622B;           // 'trb+': Tab pressed
constexpr uint32_t kMsgTurboOff = 0x7472622D;          // 'trb-': Tab released
constexpr uint32_t kMsgToggleFullScreen = 0x66756C6C;  // 'full': F11, Alt+Enter
constexpr uint32_t kMsgLeaveFullScreen = 0x77696E64;   // 'wind': Escape
constexpr uint32_t kMsgRewindOn = 0x7277642B;          // 'rwd+': Backspace pressed
constexpr uint32_t kMsgRewindOff = 0x7277642D;         // 'rwd-': Backspace released
constexpr uint32_t kMsgFrameAdvance = 0x61647631;      // 'adv1': Backslash

struct Hotkey {
    uint32_t key;        // key code, as in key_info
    uint32_t modifiers;  // exactly these (B_SHIFT_KEY ...)
    uint32_t pressed;    // the command a press sends
    uint32_t released;   // the command a release sends; 0: none
};

// Every hotkey of the main window: F1, F2 and F4 to F8 load the state slots
// 0, 1 and 3 to 7 (F3 resets), Shift+F1 to Shift+F8 save slots 0 to 7, P and
// Pause pause, F11 and Alt+Enter (either Enter) switch full screen, Escape
// leaves it, F12 takes a screenshot, Tab runs unlimited while it is held,
// Backspace rewinds while it is held, Backslash advances one frame while paused.
const std::vector<Hotkey>& hotkeys();

// The key that sends `command` when pressed, as menus show it beside the
// item: "P", "F3", "Shift+F1"; empty when no key sends it. The first such
// key of hotkeys() when several do.
std::string shortcutText(uint32_t command);

// The keys, a line each, as the About box lists them.
extern const char* const kHotkeyHelp;
