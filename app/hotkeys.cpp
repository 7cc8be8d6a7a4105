#include "hotkeys.h"

#include "key_codes.h"
#include "menus.h"
#include "state_slots.h"

namespace {

std::vector<Hotkey> build() {
    std::vector<Hotkey> keys;
    for (uint32_t slot = 0; slot < kStateSlots; ++slot) {
        const uint32_t key = kKeyF1 + slot;
        if (key != kKeyF3) keys.push_back({key, 0, kCmdLoadStateBase + slot, 0});
        keys.push_back({key, B_SHIFT_KEY, kCmdSaveStateBase + slot, 0});
    }
    keys.push_back({kKeyF3, 0, kCmdReset, 0});
    keys.push_back({kKeyP, 0, kCmdPause, 0});
    keys.push_back({kKeyPause, 0, kCmdPause, 0});
    keys.push_back({kKeyF11, 0, kMsgToggleFullScreen, 0});
    keys.push_back({kKeyEnter, B_COMMAND_KEY, kMsgToggleFullScreen, 0});
    keys.push_back({kKeyKeypadEnter, B_COMMAND_KEY, kMsgToggleFullScreen, 0});
    keys.push_back({kKeyEscape, 0, kMsgLeaveFullScreen, 0});
    keys.push_back({kKeyF12, 0, kMsgScreenshot, 0});
    keys.push_back({kKeyF1 + 9, 0, kCmdWorkbench, 0});
    keys.push_back({kKeyTab, 0, kMsgTurboOn, kMsgTurboOff});
    keys.push_back({kKeyBackspace, 0, kMsgRewindOn, kMsgRewindOff});
    keys.push_back({kKeyBackslash, 0, kMsgFrameAdvance, 0});
    return keys;
}

// The key's name as printed on it.
std::string keyName(uint32_t key) {
    if (key >= kKeyF1 && key <= kKeyF12) return "F" + std::to_string(key - kKeyF1 + 1);
    switch (key) {
        case kKeyEscape: return "Esc";
        case kKeyPause: return "Pause";
        case kKeyTab: return "Tab";
        case kKeyP: return "P";
        case kKeyEnter: return "Enter";
        case kKeyKeypadEnter: return "Keypad Enter";
        case kKeyBackspace: return "Backspace";
        case kKeyBackslash: return "\\";
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
    "Backspace (held): rewind    \\: one frame, while paused\n"
    "F11 or Alt+Enter: full screen    Esc: leave it\n"
    "F12: screenshot    F10: workbench\n"
    "F1, F2, F4-F8: load slot 0, 1, 3-7\n"
    "Shift+F1-F8: save slot 0-7\n";
