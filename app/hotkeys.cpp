#include "hotkeys.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "commands.h"
#include "key_codes.h"
#include "kit.h"

namespace {

std::vector<Hotkey> build() {
    std::vector<Hotkey> keys;
    for (const Command& command : commands())
        for (const KeyChord& chord : command.keys)
            keys.push_back({chord.key, chord.modifiers, command.code, command.released});
    return keys;
}

std::string modifiersText(uint32_t modifiers) {
    std::string text;
    if (modifiers & B_SHIFT_KEY) text += "Shift+";
    if (modifiers & B_COMMAND_KEY) text += "Alt+";
    return text;
}

// A name or number cut into its text and the number it ends in (-1: none).
struct Numbered {
    std::string text;  // as listed first in a range: "Shift+F4"
    std::string end;   // as listed last in a range: "F8"
    std::string stem;  // what items of one range share
    int number = -1;
};

Numbered numbered(const std::string& text, const std::string& end) {
    size_t digits = end.size();
    while (digits > 0 && std::isdigit(static_cast<unsigned char>(end[digits - 1]))) --digits;
    Numbered made{text, end, text.substr(0, text.size() - (end.size() - digits)), -1};
    if (digits < end.size()) made.number = std::stoi(end.substr(digits));
    return made;
}

// "F1, F2, F4-F8": runs of three or more numbers that follow one another
// are shown as their first and last.
std::string ranges(const std::vector<Numbered>& items) {
    std::string text;
    for (size_t i = 0; i < items.size();) {
        size_t last = i;
        while (last + 1 < items.size() && items[i].number >= 0 && items[last + 1].stem == items[i].stem &&
               items[last + 1].number == items[last].number + 1)
            ++last;
        if (!text.empty()) text += ", ";
        if (last - i >= 2) {
            text += items[i].text + "-" + items[last].end;
            i = last + 1;
        } else {
            text += items[i].text;
            ++i;
        }
    }
    return text;
}

// One row's part of the key list, before rows of one line that differ only
// in a number are joined.
struct Listed {
    const Command* command;
    std::vector<Numbered> keys;
    Numbered action;
};

}  // namespace

const std::vector<Hotkey>& hotkeys() {
    static const std::vector<Hotkey> keys = build();
    return keys;
}

std::string keyName(uint32_t key) {
    if (key >= kKeyF1 && key < kKeyF1 + 12) return "F" + std::to_string(key - kKeyF1 + 1);
    for (int digit = 0; digit < 5; ++digit)
        if (key == kKeyDigit[digit]) return std::to_string(digit + 1);
    static const struct {
        uint8_t key;
        const char* name;
    } names[] = {
        {kKeyEscape, "Esc"}, {kKeyPause, "Pause"}, {kKeyBackspace, "Backspace"}, {kKeyTab, "Tab"}, {kKeyQ, "Q"},
        {kKeyW, "W"}, {kKeyE, "E"}, {kKeyR, "R"}, {kKeyT, "T"}, {kKeyY, "Y"}, {kKeyU, "U"}, {kKeyI, "I"},
        {kKeyO, "O"}, {kKeyP, "P"}, {kKeyBackslash, "\\"}, {kKeyA, "A"}, {kKeyS, "S"}, {kKeyD, "D"}, {kKeyF, "F"},
        {kKeyG, "G"}, {kKeyH, "H"}, {kKeyJ, "J"}, {kKeyK, "K"}, {kKeyL, "L"}, {kKeySemicolon, ";"},
        {kKeyEnter, "Enter"}, {kKeyLeftShift, "Left Shift"}, {kKeyZ, "Z"}, {kKeyX, "X"}, {kKeyC, "C"}, {kKeyV, "V"},
        {kKeyB, "B"}, {kKeyN, "N"}, {kKeyRightShift, "Right Shift"}, {kKeyUp, "Up"},
        {kKeyKeypadEnter, "Keypad Enter"}, {kKeyLeftCtrl, "Left Ctrl"}, {kKeyLeftAlt, "Left Alt"},
        {kKeySpace, "Space"}, {kKeyRightAlt, "Right Alt"}, {kKeyRightCtrl, "Right Ctrl"}, {kKeyLeft, "Left"},
        {kKeyDown, "Down"}, {kKeyRight, "Right"},
    };
    for (const auto& entry : names)
        if (entry.key == key) return entry.name;
    char code[16];
    std::snprintf(code, sizeof code, "key 0x%02X", static_cast<unsigned>(key));
    return code;
}

std::string shortcutText(uint32_t command) {
    for (const Hotkey& key : hotkeys())
        if (key.pressed == command) return modifiersText(key.modifiers) + keyName(key.key);
    return "";
}

std::vector<KeyHelp> keyHelp() {
    std::vector<Listed> listed;
    for (const Command& command : commands()) {
        if (command.keyHelp.empty()) continue;
        Listed entry{&command, {}, numbered(command.keyHelp, command.keyHelp)};
        for (const KeyChord& chord : command.keys)
            if (chord.listed)
                entry.keys.push_back(numbered(modifiersText(chord.modifiers) + keyName(chord.key), keyName(chord.key)));
        if (!entry.keys.empty()) listed.push_back(entry);
    }
    std::stable_sort(listed.begin(), listed.end(), [](const Listed& a, const Listed& b) {
        return a.command->keyHelpLine < b.command->keyHelpLine;
    });
    std::vector<KeyHelp> help = {{"Arrows, Left Alt, Space, Left Shift, 1-5", "the board", 0}};
    for (size_t i = 0; i < listed.size();) {
        const Listed& first = listed[i];
        const int line = first.command->keyHelpLine;
        // Rows of one line whose actions differ only in their number, a key each: one entry.
        size_t end = i + 1;
        if (first.action.number >= 0 && first.keys.size() == 1)
            while (end < listed.size() && listed[end].command->keyHelpLine == line && listed[end].keys.size() == 1 &&
                   listed[end].action.number >= 0 && listed[end].action.stem == first.action.stem)
                ++end;
        if (end - i > 1) {
            std::vector<Numbered> keys, numbers;
            for (size_t j = i; j < end; ++j) {
                keys.push_back(listed[j].keys[0]);
                const std::string number = std::to_string(listed[j].action.number);
                numbers.push_back(numbered(number, number));
            }
            help.push_back({ranges(keys), first.action.stem + ranges(numbers), line});
        } else {
            std::string keys;
            for (const Numbered& key : first.keys) keys += (keys.empty() ? "" : " or ") + key.text;
            if (first.command->released) keys += " (held)";
            help.push_back({keys, first.command->keyHelp, line});
        }
        i = end;
    }
    return help;
}

std::string keyHelpText(const std::string& indent) {
    std::string text;
    int line = -1;
    for (const KeyHelp& entry : keyHelp()) {
        if (entry.line != line) text += (text.empty() ? "" : "\n") + indent;
        else text += "    ";
        text += entry.keys + ": " + entry.action;
        line = entry.line;
    }
    return text + "\n";
}
