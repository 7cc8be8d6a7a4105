// Menus: the model a window changes and the event loop draws, and where a
// submenu opens, as pure geometry: beside its parent when there is room,
// else below or above it, never over it.
#include <gtest/gtest.h>

#include <algorithm>

#include "menu.h"
#include "menu_placement.h"

// File: Open(1) | Recent > [One(2), Two(3)] | separator
TEST(Menu, ItemsAreFoundInSubmenusAndADisabledSubmenuDisablesItsItem) {
    BMenuBar bar(BRect(0, 0, 256, 20), "main");
    auto* file = new BMenu("File");
    auto* recent = new BMenu("Recent");
    file->AddItem(new BMenuItem("Open", new BMessage(1)));
    recent->AddItem(new BMenuItem("One", new BMessage(2)));
    recent->AddItem(new BMenuItem("Two", new BMessage(3)));
    file->AddItem(recent);
    file->AddSeparatorItem();
    bar.AddItem(file);
    EXPECT_FALSE(file->AddItem(static_cast<BMenuItem*>(nullptr)) || file->AddItem(static_cast<BMenu*>(nullptr)));
    EXPECT_TRUE(!file->ItemAt(3) && !file->ItemAt(-1) && !bar.FindItem(static_cast<const char*>(nullptr)));
    EXPECT_EQ(bar.FindItem("Two"), recent->ItemAt(1));
    EXPECT_EQ(bar.FindItem(3u), recent->ItemAt(1));
    EXPECT_EQ(recent->FindItem(1u), nullptr) << "not upwards";
    EXPECT_EQ(file->FindItem(""), nullptr) << "separators are not found";
    recent->ItemAt(1)->SetMarked(true);
    recent->ItemAt(0)->SetMarked(true);
    EXPECT_EQ(file->FindMarked(), nullptr) << "only in the menu itself";
    EXPECT_EQ(recent->FindMarked(), recent->ItemAt(0));
    recent->SetEnabled(false);
    file->ItemAt(0)->SetEnabled(false);
    EXPECT_FALSE(file->ItemAt(1)->IsEnabled() || recent->IsEnabled() || file->ItemAt(0)->IsEnabled());
    file->ItemAt(0)->SetShortcutText("Ctrl+O");
    file->ItemAt(0)->SetShortcutText(nullptr);
    EXPECT_EQ(file->ItemAt(0)->ShortcutText() + std::to_string(file->ItemAt(0)->Command()), "1");
}

// A window at scale 1 below its menu bar; each row a parent menu, the item
// that opens the submenu, the submenu's size, and where it must go.
TEST(Menu, SubmenusOpenBesideTheirParentElseAcrossItNeverOverIt) {
    using kit::Area;
    const Area display{0, 18, 257, 243};
    const struct {
        Area parent, item;
        float width, height, x, y, maxHeight;
    } rows[] = {
        {{1, 18, 147, 153}, {1, 52, 147, 69}, 34, 148, 147, 52, 225},      // right, level with its item
        {{1, 18, 223, 153}, {1, 52, 223, 69}, 34, 148, 223, 52, 225},      // right, just fitting
        {{1, 18, 147, 240}, {1, 200, 147, 217}, 34, 100, 147, 143, 225},   // moved up to fit
        {{1, 18, 147, 240}, {1, 200, 147, 217}, 34, 600, 147, 18, 225},    // taller than the window: scrolls
        {{150, 18, 230, 100}, {150, 40, 230, 57}, 120, 60, 30, 40, 225},   // left: too narrow on the right
        {{37, 18, 148, 123}, {37, 94, 148, 115}, 118, 63, 139, 123, 120},  // below, away from the parent's side
        {{76, 18, 257, 81}, {76, 52, 257, 73}, 83, 80, 0, 81, 162},        // below, against the left edge
        {{0, 81, 83, 161}, {0, 81, 83, 98}, 118, 578, 83, 18, 225},        // ... and its own submenu beside it
        {{60, 200, 200, 240}, {60, 210, 200, 227}, 150, 100, 0, 100, 182},   // above: shows more
        {{60, 18, 200, 181}, {60, 160, 200, 177}, 150, 300, 0, 181, 62},     // below, a few items scrolling
        {{10, 18, 247, 240}, {10, 30, 247, 47}, 120, 100, 137, 143, 225},    // nowhere: bottom right, over it
    };
    for (const auto& r : rows) {
        const kit::SubmenuPlace p = kit::place_submenu(display, r.parent, r.item, r.width, r.height, 60);
        EXPECT_EQ((std::vector<float>{p.x, p.y, p.maxHeight}), (std::vector<float>{r.x, r.y, r.maxHeight}))
            << "parent at " << r.parent.left << "," << r.parent.top;
        const Area placed{p.x, p.y, p.x + r.width, p.y + std::min(r.height, p.maxHeight)};
        const bool covers = placed.left < r.parent.right && r.parent.left < placed.right &&
                            placed.top < r.parent.bottom && r.parent.top < placed.bottom;
        EXPECT_TRUE(!covers || &r == std::end(rows) - 1) << "over its parent at " << r.parent.left;
    }
}
