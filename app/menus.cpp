#include "menus.h"

#include <map>
#include <string>
#include <vector>

#include "commands.h"
#include "gamepad_keys.h"
#include "hotkeys.h"
#include "key_codes.h"

BMenuBar* menuBar = nullptr;
BMenuItem* romInfoItem = nullptr;
BMenu* tmpMenu = nullptr;
BMenu* tmpMenu2 = nullptr;
BMenuItem* fSkip[3] = {};
BMenuItem* fController[2] = {};
BMenu* menus[5] = {};

uint8_t controlType = 0;

// The key of each item (key_codes.h): the letters sit where a French AZERTY
// keyboard has them, so "A", "Z", "Q", "W" and "M" are the keys a US
// keyboard labels Q, W, A, Z and the semicolon.
const uint8_t keyCodesArray[kKeyCount] = {
    kKeyQ, kKeyB, kKeyC, kKeyD, kKeyE, kKeyF, kKeyG, kKeyH, kKeyI, kKeyJ, kKeyK, kKeyL,
    kKeySemicolon, kKeyN, kKeyO, kKeyP, kKeyA, kKeyR, kKeyS, kKeyT, kKeyU, kKeyV, kKeyZ, kKeyX,
    kKeyY, kKeyW, kKeyLeftShift, kKeyLeftCtrl, kKeyLeftAlt, kKeySpace, kKeyRightAlt, kKeyRightCtrl,
    kKeyRightShift, kKeyEnter,
};

// Button A and Button B start on the keys their menus mark, "A" and "B".
uint8_t keyboardConfig[4] = {kKeyS, kKeyD, kKeyQ, kKeyB};

const char* const keyLabels[kKeyCount] = {
    "A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L", "M", "N", "O", "P", "Q",
    "R", "S", "T", "U", "V", "W", "X", "Y", "Z", "Left shift", "Left ctrl", "Left alt",
    "Space", "Right alt", "Right ctrl", "Right shift", "Enter",
};

namespace {

// The items and submenus whose enabled state changes, with their rows.
struct Enablable {
    const Command* command;
    BMenuItem* item;
    BMenu* menu;
};
std::vector<Enablable> enablables;

// The menu at `place` ("File>Movie"), made and added to its parent at its
// first mention.
BMenu* menuAt(std::map<std::string, BMenu*>& made, const std::string& place) {
    if (BMenu* menu = made[place]) return menu;
    const size_t cut = place.rfind('>');
    BMenu* menu = new BMenu(place.substr(cut == std::string::npos ? 0 : cut + 1).c_str(), B_ITEMS_IN_COLUMN);
    if (cut == std::string::npos)
        menuBar->AddItem(menu);
    else
        menuAt(made, place.substr(0, cut))->AddItem(menu);
    return made[place] = menu;
}

}  // namespace

void buildMenus() {
    std::map<std::string, BMenu*> made;
    enablables.clear();
    for (const Command& command : commands()) {
        if (command.place.empty()) continue;
        const size_t cut = command.place.rfind('>');
        const std::string parent = command.place.substr(0, cut == std::string::npos ? 0 : cut);
        const std::string label = command.place.substr(cut == std::string::npos ? 0 : cut + 1);
        if (label == "-") {
            menuAt(made, parent)->AddSeparatorItem();
            continue;
        }
        if (!command.code) {  // a submenu
            BMenu* menu = menuAt(made, command.place);
            if (command.enabled) {
                menu->SetEnabled(command.enabled());
                enablables.push_back({&command, nullptr, menu});
            }
            continue;
        }
        // An item shows, at its right, the hotkey that sends its command too.
        BMenuItem* item = new BMenuItem(label.c_str(), new BMessage(command.code), 0, 0);
        item->SetShortcutText(shortcutText(command.code).c_str());
        if (command.enabled) {
            item->SetEnabled(command.enabled());
            enablables.push_back({&command, item, nullptr});
        }
        if (command.marked) item->SetMarked(command.marked(command.code));
        menuAt(made, parent)->AddItem(item);
    }
    romInfoItem = made["File"]->FindItem(kCmdRomInfo);
    tmpMenu = made["File>Load state"];
    tmpMenu2 = made["File>Save state"];
    for (int i = 0; i < 3; ++i) fSkip[i] = made["Emulation>Speed"]->ItemAt(i);
    fController[0] = made["Controller"]->FindItem(kCmdKeyboard);
    fController[1] = made["Controller"]->FindItem(kCmdJoystick);
    menus[0] = made["Controller>Keyboard configuration"];
    const char* const functions[4] = {"Start", "Select", "Button A", "Button B"};
    for (int k = 0; k < 4; ++k) menus[k + 1] = made[std::string("Controller>Keyboard configuration>") + functions[k]];
}

void updateEnabledMenus() {
    for (const Enablable& entry : enablables) {
        if (entry.item) entry.item->SetEnabled(entry.command->enabled());
        if (entry.menu) entry.menu->SetEnabled(entry.command->enabled());
    }
}

bool keyChoiceOf(uint32_t code, int* submenu, int* position) {
    for (int k = 0; k < 4; ++k) {
        if (code >= kCmdKeyBase[k] && code < kCmdKeyBase[k] + kKeyCount) {
            *submenu = k;
            *position = static_cast<int>(code - kCmdKeyBase[k]);
            return true;
        }
    }
    return false;
}

void chooseKey(uint32_t code) {
    int k = 0, p = 0;
    if (!keyChoiceOf(code, &k, &p)) return;
    keyboardConfig[k] = keyCodesArray[p];
    BMenu* menu = menus[k + 1];
    if (BMenuItem* previous = menu->FindMarked()) previous->SetMarked(false);
    if (BMenuItem* chosen = menu->FindItem(code)) chosen->SetMarked(true);
}

void chooseController(uint8_t type) {
    fController[0]->SetMarked(type == 0);
    fController[1]->SetMarked(type == 1);
    controlType = type;
    enable_gamepad_keys(type == 1);  // the keyboard works either way
}
