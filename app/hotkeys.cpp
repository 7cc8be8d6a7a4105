#include "hotkeys.h"

#include "menus.h"
#include "state_slots.h"

namespace {

// Key codes (as in key_info) of the keys used here.
constexpr uint32_t kEscape = 0x01;
constexpr uint32_t kF1 = 0x02;
constexpr uint32_t kF3 = 0x04;
constexpr uint32_t kF11 = 0x0C;
constexpr uint32_t kF12 = 0x0D;
constexpr uint32_t kPause = 0x10;
constexpr uint32_t kTab = 0x26;
constexpr uint32_t kP = 0x30;
constexpr uint32_t kEnter = 0x47;
constexpr uint32_t kKeypadEnter = 0x5B;

std::vector<Hotkey> build() {
    std::vector<Hotkey> keys;
    for (uint32_t slot = 0; slot < kStateSlots; ++slot) {
        const uint32_t key = kF1 + slot;
        if (key != kF3) keys.push_back({key, 0, kCmdLoadStateBase + slot, 0});
        keys.push_back({key, B_SHIFT_KEY, kCmdSaveStateBase + slot, 0});
    }
    keys.push_back({kF3, 0, kCmdReset, 0});
    keys.push_back({kP, 0, kCmdPause, 0});
    keys.push_back({kPause, 0, kCmdPause, 0});
    keys.push_back({kF11, 0, kMsgToggleFullScreen, 0});
    keys.push_back({kEnter, B_COMMAND_KEY, kMsgToggleFullScreen, 0});
    keys.push_back({kKeypadEnter, B_COMMAND_KEY, kMsgToggleFullScreen, 0});
    keys.push_back({kEscape, 0, kMsgLeaveFullScreen, 0});
    keys.push_back({kF12, 0, kMsgScreenshot, 0});
    keys.push_back({kTab, 0, kMsgTurboOn, kMsgTurboOff});
    return keys;
}

// The key's name as printed on it.
std::string keyName(uint32_t key) {
    if (key >= kF1 && key <= kF12) return "F" + std::to_string(key - kF1 + 1);
    switch (key) {
        case kEscape: return "Esc";
        case kPause: return "Pause";
        case kTab: return "Tab";
        case kP: return "P";
        case kEnter: return "Enter";
        case kKeypadEnter: return "Keypad Enter";
        default: return "";
    }
}

}  // namespace

const std::vector<Hotkey>& hotkeys() {
    static const std::vector<Hotkey> keys = build();
    return keys;
}

std::string shortcutText(uint32_t command) {
    for (const Hotkey& key : hotkeys()) {
        if (key.pressed != command) continue;
        std::string text;
        if (key.modifiers & B_SHIFT_KEY) text += "Shift+";
        if (key.modifiers & B_COMMAND_KEY) text += "Alt+";
        return text + keyName(key.key);
    }
    return "";
}

const char* const kHotkeyHelp =
    "Arrows, Left Alt, Space, Left Shift, 1-5: the board\n"
    "P or Pause: pause    F3: reset\n"
    "Tab (held): unlimited speed\n"
    "F11 or Alt+Enter: full screen    Esc: leave it\n"
    "F12: screenshot\n"
    "F1, F2, F4-F8: load slot 0, 1, 3-7\n"
    "Shift+F1-F8: save slot 0-7\n";
