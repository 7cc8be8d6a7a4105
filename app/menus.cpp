#include "menus.h"

#include <cstdio>
#include <iterator>

#include "gamepad_keys.h"
#include "hotkeys.h"
#include "key_codes.h"

namespace {

// Every command a single menu item sends is its own: two features that picked
// the same code would have one item do the other's work.
constexpr uint32_t kItemCommands[] = {
    kCmdBoot,  kCmdPlaySample,        kCmdFreeRom,        kCmdRomInfo,   kCmdServiceMode, kCmdPause,
    kCmdReset, kCmdDebug,             kCmdWorkbench,      kCmdSpeed30,   kCmdSpeed60,     kCmdSpeedUnlimited,
    kCmdAbout, kCmdRecordFromPowerOn, kCmdRecordFromHere, kCmdPlayMovie, kCmdStopMovie,   kCmdKeyboard,
    kCmdJoystick};
constexpr bool allDistinct() {
    for (size_t i = 0; i < std::size(kItemCommands); ++i)
        for (size_t j = i + 1; j < std::size(kItemCommands); ++j)
            if (kItemCommands[i] == kItemCommands[j]) return false;
    return true;
}
static_assert(allDistinct(), "two menu items send the same command");

}  // namespace

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

// An item that shows, at its right, the hotkey that sends its command too.
BMenuItem* item(const char* label, uint32_t code) {
    BMenuItem* made = new BMenuItem(label, new BMessage(code), 0, 0);
    made->SetShortcutText(shortcutText(code).c_str());
    return made;
}

BMenu* slotMenu(const char* name, uint32_t base) {
    BMenu* menu = new BMenu(name, B_ITEMS_IN_COLUMN);
    for (uint32_t slot = 0; slot < 8; ++slot) {
        const char label[2] = {static_cast<char>('0' + slot), '\0'};
        menu->AddItem(item(label, base + slot));
    }
    return menu;
}

BMenu* keyMenu(const char* name, uint32_t base) {
    BMenu* menu = new BMenu(name, B_ITEMS_IN_COLUMN);
    for (int p = 0; p < kKeyCount; ++p) menu->AddItem(item(keyLabels[p], base + p));
    return menu;
}

}  // namespace

void buildMenus() {
    BMenu* file = new BMenu("File", B_ITEMS_IN_COLUMN);
    file->AddItem(item("Boot", kCmdBoot));
    file->AddItem(item("Play ADPCM sample", kCmdPlaySample));
    tmpMenu = slotMenu("Load state", kCmdLoadStateBase);
    tmpMenu->SetEnabled(false);
    file->AddItem(tmpMenu);
    tmpMenu2 = slotMenu("Save state", kCmdSaveStateBase);
    tmpMenu2->SetEnabled(false);
    file->AddItem(tmpMenu2);
    file->AddItem(item("free ROM", kCmdFreeRom));
    romInfoItem = item("Rom info", kCmdRomInfo);
    romInfoItem->SetEnabled(false);
    file->AddItem(romInfoItem);
    BMenu* movie = new BMenu("Movie", B_ITEMS_IN_COLUMN);
    movie->AddItem(item("Record", kCmdRecordFromPowerOn));
    movie->AddItem(item("Record here", kCmdRecordFromHere));
    movie->AddItem(item("Play", kCmdPlayMovie));
    movie->AddItem(item("Stop", kCmdStopMovie));
    file->AddItem(movie);
    file->AddSeparatorItem();
    file->AddItem(item("Quit        Alt-Q", B_QUIT_REQUESTED));
    menuBar->AddItem(file);

    BMenu* emulation = new BMenu("Emulation", B_ITEMS_IN_COLUMN);
    emulation->AddItem(item("Service mode", kCmdServiceMode));
    emulation->AddItem(item("Pause", kCmdPause));
    emulation->AddItem(item("Reset", kCmdReset));
    emulation->AddSeparatorItem();
    emulation->AddItem(item("Debug", kCmdDebug));
    emulation->AddItem(item("Workbench", kCmdWorkbench));
    emulation->AddSeparatorItem();
    BMenu* speed = new BMenu("Speed", B_ITEMS_IN_COLUMN);
    speed->AddItem(fSkip[0] = item("30 fps", kCmdSpeed30));
    speed->AddItem(fSkip[1] = item("60 fps", kCmdSpeed60));
    speed->AddItem(fSkip[2] = item("Unlimited fps", kCmdSpeedUnlimited));
    emulation->AddItem(speed);
    menuBar->AddItem(emulation);

    BMenu* controller = new BMenu("Controller", B_ITEMS_IN_COLUMN);
    controller->AddItem(fController[0] = item("Keyboard", kCmdKeyboard));
    controller->AddItem(fController[1] = item("Joystick", kCmdJoystick));
    menus[0] = new BMenu("Keyboard configuration", B_ITEMS_IN_COLUMN);
    const char* const functions[4] = {"Start", "Select", "Button A", "Button B"};
    for (int k = 0; k < 4; ++k) {
        menus[k + 1] = keyMenu(functions[k], kCmdKeyBase[k]);
        menus[0]->AddItem(menus[k + 1]);
    }
    controller->AddItem(menus[0]);
    menuBar->AddItem(controller);

    BMenu* about = new BMenu("About...", B_ITEMS_IN_COLUMN);
    about->AddItem(item("...BePellmora", kCmdAbout));
    menuBar->AddItem(about);

    fController[0]->SetMarked(true);
    const char* const marked[4] = {"S", "D", "A", "B"};
    for (int k = 0; k < 4; ++k) menus[k + 1]->FindItem(marked[k])->SetMarked(true);
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
