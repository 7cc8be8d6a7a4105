// Menus: the model the window changes and the event loop draws.
#include <gtest/gtest.h>

#include <memory>

#include "menu.h"

namespace {

// File: Open(1) | Recent > [One(2), Two(3)] | separator | Quit(4)
struct Tree {
    std::unique_ptr<BMenuBar> bar{new BMenuBar(BRect(0, 0, 256, 20), "main")};
    BMenu* file = new BMenu("File");
    BMenu* recent = new BMenu("Recent");
    Tree() {
        file->AddItem(new BMenuItem("Open", new BMessage(1)));
        recent->AddItem(new BMenuItem("One", new BMessage(2)));
        recent->AddItem(new BMenuItem("Two", new BMessage(3)));
        file->AddItem(recent);
        file->AddSeparatorItem();
        file->AddItem(new BMenuItem("Quit", new BMessage(4)));
        bar->AddItem(file);
    }
};

}  // namespace

TEST(Menu, ItemsKeepTheirOrderLabelsAndCodes) {
    Tree tree;
    ASSERT_EQ(tree.file->CountItems(), 4);
    EXPECT_STREQ(tree.file->ItemAt(0)->Label(), "Open");
    EXPECT_EQ(tree.file->ItemAt(0)->Command(), 1u);
    EXPECT_EQ(tree.file->ItemAt(1)->Submenu(), tree.recent);
    EXPECT_STREQ(tree.file->ItemAt(1)->Label(), "Recent");
    EXPECT_TRUE(tree.file->ItemAt(2)->IsSeparator());
    EXPECT_EQ(tree.file->ItemAt(2)->Command(), 0u);
    EXPECT_EQ(tree.file->ItemAt(4), nullptr);
    EXPECT_EQ(tree.recent->Superitem(), tree.file->ItemAt(1));
    EXPECT_EQ(tree.file->ItemAt(0)->Menu(), tree.file);
}

TEST(Menu, FindItemSearchesSubmenusByLabelAndByCode) {
    Tree tree;
    EXPECT_EQ(tree.bar->FindItem("Two"), tree.recent->ItemAt(1));
    EXPECT_EQ(tree.bar->FindItem(3u), tree.recent->ItemAt(1));
    EXPECT_EQ(tree.file->FindItem("Quit"), tree.file->ItemAt(3));
    EXPECT_EQ(tree.file->FindItem("Missing"), nullptr);
    EXPECT_EQ(tree.file->FindItem(99u), nullptr);
    EXPECT_EQ(tree.recent->FindItem("Open"), nullptr);  // not upwards
    EXPECT_EQ(tree.file->FindItem(""), nullptr);       // separators are not found
}

TEST(Menu, FindMarkedLooksAtTheMenuItself) {
    Tree tree;
    EXPECT_EQ(tree.file->FindMarked(), nullptr);
    tree.recent->ItemAt(1)->SetMarked(true);
    EXPECT_EQ(tree.file->FindMarked(), nullptr);
    EXPECT_EQ(tree.recent->FindMarked(), tree.recent->ItemAt(1));
    tree.recent->ItemAt(0)->SetMarked(true);
    EXPECT_EQ(tree.recent->FindMarked(), tree.recent->ItemAt(0));  // the first marked
    tree.recent->ItemAt(0)->SetMarked(false);
    tree.recent->ItemAt(1)->SetMarked(false);
    EXPECT_EQ(tree.recent->FindMarked(), nullptr);
}

TEST(Menu, ADisabledSubmenuDisablesItsItem) {
    Tree tree;
    BMenuItem* super = tree.file->ItemAt(1);
    EXPECT_TRUE(super->IsEnabled());
    tree.recent->SetEnabled(false);
    EXPECT_FALSE(tree.recent->IsEnabled());
    EXPECT_FALSE(super->IsEnabled());
    tree.recent->SetEnabled(true);
    EXPECT_TRUE(super->IsEnabled());
    tree.file->ItemAt(0)->SetEnabled(false);
    EXPECT_FALSE(tree.file->ItemAt(0)->IsEnabled());
}

TEST(Menu, AnItemMayCarryAShortcutTextToShow) {
    Tree tree;
    BMenuItem* open = tree.file->ItemAt(0);
    EXPECT_EQ(open->ShortcutText(), "");
    open->SetShortcutText("Ctrl+O");
    EXPECT_EQ(open->ShortcutText(), "Ctrl+O");
    EXPECT_EQ(open->Command(), 1u);  // the item and its message are as they were
    open->SetShortcutText(nullptr);
    EXPECT_EQ(open->ShortcutText(), "");
}
