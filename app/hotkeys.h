// The program's own keys: commands that never reach the board's inputs. They
// are the keys of the command table (commands.h).
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

// Every hotkey of the main window, in the command table's order.
const std::vector<Hotkey>& hotkeys();

// The key's name as printed on it: "F3", "Esc", "Left shift"; every key of
// key_codes.h has one.
std::string keyName(uint32_t key);

// The key that sends `command` when pressed, as menus show it beside the
// item: "P", "F3", "Shift+F1"; empty when no key sends it. The first such
// key of hotkeys() when several do.
std::string shortcutText(uint32_t command);

// One entry of the key list: "P or Pause" and what they do, on line `line`.
struct KeyHelp {
    std::string keys;
    std::string action;
    int line;
};
// The keys the program answers, in the order the lists show them: the
// board's inputs first, then the command table's keys by line. The About box
// and --help print it; it is there for any other list of the keys too.
std::vector<KeyHelp> keyHelp();
// The key list as lines of "keys: action", the entries of one line joined by
// four blanks, each line starting with `indent` and ending in a line feed.
std::string keyHelpText(const std::string& indent);
