// The menu tree: labels, codes, order, separators, initial states, and the
// states a boot changes.
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "shell_fixture.h"

namespace {

struct Row {
    const char* label;  // nullptr: a separator
    uint32_t code;      // 0: a submenu
};

void expectItems(BMenu* menu, const std::vector<Row>& rows) {
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->CountItems(), static_cast<int32>(rows.size())) << menu->Name();
    for (size_t i = 0; i < rows.size(); ++i) {
        BMenuItem* item = menu->ItemAt(static_cast<int32>(i));
        if (!rows[i].label) {
            EXPECT_TRUE(item->IsSeparator()) << menu->Name() << " item " << i;
            continue;
        }
        EXPECT_STREQ(item->Label(), rows[i].label);
        EXPECT_EQ(item->Command(), rows[i].code) << rows[i].label;
        EXPECT_EQ(item->Submenu() != nullptr, rows[i].code == 0) << rows[i].label;
    }
}

BMenu* submenu(BMenu* menu, int index) { return menu->ItemAt(index)->Submenu(); }

const char* const kKeyLabels[34] = {
    "A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L", "M", "N", "O", "P", "Q",
    "R", "S", "T", "U", "V", "W", "X", "Y", "Z", "Left shift", "Left ctrl", "Left alt",
    "Space", "Right alt", "Right ctrl", "Right shift", "Enter"};

}  // namespace

TEST_F(ShellTest, MenuBarHoldsFourMenusInOrder) {
    ASSERT_EQ(window->KeyMenuBar(), menuBar);
    expectItems(menuBar, {{"File", 0}, {"Emulation", 0}, {"Controller", 0}, {"About...", 0}});
}

TEST_F(ShellTest, FileAndEmulationMenus) {
    BMenu* file = submenu(menuBar, 0);
    expectItems(file, {{"Boot", 0x8040},
                       {"Play ADPCM sample", 0x8033},
                       {"Load state", 0},
                       {"Save state", 0},
                       {"free ROM", 0x8001},
                       {"Rom info", 0x8022},
                       {"Movie", 0},
                       {nullptr, 0},
                       {"Quit        Alt-Q", 0x5F515251}});
    EXPECT_EQ(submenu(file, 2), tmpMenu);
    EXPECT_EQ(submenu(file, 3), tmpMenu2);
    EXPECT_EQ(file->ItemAt(5), romInfoItem);
    for (int slot = 0; slot < 8; ++slot) {
        const char label[2] = {static_cast<char>('0' + slot), 0};
        EXPECT_STREQ(tmpMenu->ItemAt(slot)->Label(), label);
        EXPECT_EQ(tmpMenu->ItemAt(slot)->Command(), 9001u + slot);
        EXPECT_STREQ(tmpMenu2->ItemAt(slot)->Label(), label);
        EXPECT_EQ(tmpMenu2->ItemAt(slot)->Command(), 9101u + slot);
    }
    EXPECT_EQ(tmpMenu->CountItems(), 8);
    EXPECT_EQ(tmpMenu2->CountItems(), 8);

    BMenu* emulation = submenu(menuBar, 1);
    expectItems(emulation, {{"Service mode", 0x8004},
                            {"Pause", 0x8005},
                            {"Reset", 0x8006},
                            {nullptr, 0},
                            {"Debug", 0x8009},
                            {nullptr, 0},
                            {"Speed", 0}});
    expectItems(submenu(emulation, 6), {{"30 fps", 0x8011}, {"60 fps", 0x8012}, {"Unlimited fps", 0x8013}});
    for (int i = 0; i < 3; ++i) EXPECT_EQ(fSkip[i], submenu(emulation, 6)->ItemAt(i));
}

TEST_F(ShellTest, ControllerAndAboutMenus) {
    BMenu* controller = submenu(menuBar, 2);
    expectItems(controller, {{"Keyboard", 0x9000}, {"Joystick", 0x9001}, {"Keyboard configuration", 0}});
    EXPECT_EQ(fController[0], controller->ItemAt(0));
    EXPECT_EQ(fController[1], controller->ItemAt(1));
    EXPECT_EQ(menus[0], submenu(controller, 2));
    expectItems(menus[0], {{"Start", 0}, {"Select", 0}, {"Button A", 0}, {"Button B", 0}});
    const uint32_t bases[4] = {0xFA0, 0x1004, 0x1068, 0x10CC};
    for (int k = 0; k < 4; ++k) {
        ASSERT_EQ(menus[k + 1], submenu(menus[0], k));
        ASSERT_EQ(menus[k + 1]->CountItems(), 34);
        for (int p = 0; p < 34; ++p) {
            EXPECT_STREQ(menus[k + 1]->ItemAt(p)->Label(), kKeyLabels[p]);
            EXPECT_EQ(menus[k + 1]->ItemAt(p)->Command(), bases[k] + p);
        }
    }
    expectItems(submenu(menuBar, 3), {{"...BePellmora", 0x8007}});
}

TEST_F(ShellTest, InitialEnabledAndMarkedStates) {
    EXPECT_FALSE(romInfoItem->IsEnabled());
    EXPECT_FALSE(tmpMenu->IsEnabled());
    EXPECT_FALSE(tmpMenu2->IsEnabled());
    EXPECT_FALSE(submenu(menuBar, 0)->ItemAt(2)->IsEnabled());
    EXPECT_TRUE(submenu(menuBar, 0)->ItemAt(0)->IsEnabled());
    EXPECT_TRUE(fController[0]->IsMarked());
    EXPECT_FALSE(fController[1]->IsMarked());
    for (BMenuItem* speed : fSkip) EXPECT_FALSE(speed->IsMarked());
    const char* const marked[4] = {"S", "D", "A", "B"};
    for (int k = 0; k < 4; ++k) {
        ASSERT_NE(menus[k + 1]->FindMarked(), nullptr);
        EXPECT_STREQ(menus[k + 1]->FindMarked()->Label(), marked[k]);
        int count = 0;
        for (int p = 0; p < 34; ++p) count += menus[k + 1]->ItemAt(p)->IsMarked();
        EXPECT_EQ(count, 1);
    }
    // The recorded keys agree with the marks.
    EXPECT_EQ(keyboardConfig[0], 0x3D);
    EXPECT_EQ(keyboardConfig[1], 0x3E);
    EXPECT_EQ(keyboardConfig[2], 0x27);
    EXPECT_EQ(keyboardConfig[3], 0x50);
}

TEST_F(ShellTest, BootEnablesRomInfoAndTheStateMenusOnly) {
    window->Send(kCmdBoot);
    EXPECT_TRUE(romInfoItem->IsEnabled());
    EXPECT_TRUE(tmpMenu->IsEnabled());
    EXPECT_TRUE(tmpMenu2->IsEnabled());
    EXPECT_TRUE(fController[0]->IsMarked());
    for (BMenuItem* speed : fSkip) EXPECT_FALSE(speed->IsMarked());
    window->Send(kCmdFreeRom);  // nothing disables them again
    window->Send(kCmdReset);
    EXPECT_TRUE(romInfoItem->IsEnabled());
    EXPECT_TRUE(tmpMenu->IsEnabled());
}

// Items show the hotkeys that send their commands, as the Keys table of the
// README gives them; every other item shows none.
TEST_F(ShellTest, ItemsShowTheirHotkeys) {
    std::map<uint32_t, std::string> shown = {{0x8005, "P"}, {0x8006, "F3"}};
    for (int slot = 0; slot < 8; ++slot) {
        if (slot != 2) shown[9001 + slot] = "F" + std::to_string(slot + 1);  // F3 resets
        shown[9101 + slot] = "Shift+F" + std::to_string(slot + 1);
    }
    int items = 0;
    std::function<void(BMenu*)> visit = [&](BMenu* menu) {
        for (int i = 0; i < menu->CountItems(); ++i) {
            BMenuItem* item = menu->ItemAt(i);
            if (item->Submenu()) visit(item->Submenu());
            if (item->IsSeparator()) continue;
            ++items;
            EXPECT_EQ(item->ShortcutText(), shown.count(item->Command()) ? shown[item->Command()] : "")
                << item->Label();
        }
    };
    visit(menuBar);
    // 4 menus; File 8, 16 slots and 4 movie items; Emulation 5, Speed 3; Controller 3, 4 and 136 keys; About 1.
    EXPECT_EQ(items, 4 + 8 + 16 + 4 + 5 + 3 + 3 + 4 + 4 * 34 + 1);
}
