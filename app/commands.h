// The main window's commands, a row each: where its menu item sits, the code
// it sends, the keys that send it too, what the window does with it, and how
// its item's enabled state and first mark are found. The menus, the hotkeys,
// the window's dispatch and the key lists of the About box and of --help are
// all made from this one table: adding a command is adding a row.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class BMessage;
class BeVorelWindow;

// A key with its modifiers (B_SHIFT_KEY, B_COMMAND_KEY), exactly.
struct KeyChord {
    uint8_t key = 0;         // key code, as in key_codes.h
    uint32_t modifiers = 0;
    bool listed = true;      // false: a second key of the same name (the keypad's Enter) left out of key lists
};

struct Command {
    // The item's place: menu titles and labels joined by '>', as
    // "File>Movie>Record". A place ending in ">-" is a separator; a row with
    // no code describes the submenu at its place; "" is a command only keys send.
    std::string place{};
    uint32_t code = 0;
    std::vector<KeyChord> keys{};  // the hotkeys that send it
    uint32_t released = 0;       // what its keys send when released (a key held); 0: nothing
    // What the window does; null: the message goes on to BWindow.
    void (*handler)(BeVorelWindow& window, const BMessage& message) = nullptr;
    bool (*enabled)() = nullptr;             // the item or submenu is enabled when true; null: always
    bool (*marked)(uint32_t code) = nullptr;  // whether the item starts marked; null: unmarked
    // The key list: what its keys do ("pause"), and the line it goes on
    // (rows of one line are joined); "": not listed. Rows of one line whose
    // texts differ only in a last number ("load slot 3") make one entry.
    std::string keyHelp{};
    int keyHelpLine = 0;
};

// Every command, items in menu order.
const std::vector<Command>& commands();
// The row of `code`, sent when pressed or released; null when none.
const Command* findCommand(uint32_t code);
