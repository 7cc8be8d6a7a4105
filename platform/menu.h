// Menus: model objects for the window's menu bar.
//
// Menus and items are changed by the window's thread and drawn by the
// application's thread; every read and change goes through one small lock of
// the menus' own, never through a window's lock.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "message.h"
#include "view.h"

class BLooper;
class BMenu;

enum menu_layout { B_ITEMS_IN_ROW = 0, B_ITEMS_IN_COLUMN, B_ITEMS_IN_MATRIX };

class BMenuItem {
public:
    // The item takes ownership of the message.
    BMenuItem(const char* label, BMessage* message, char shortcut = 0, uint32 modifiers = 0);
    // An item that opens a submenu; the item takes ownership of the submenu.
    explicit BMenuItem(BMenu* submenu, BMessage* message = nullptr);
    virtual ~BMenuItem();
    BMenuItem(const BMenuItem&) = delete;
    BMenuItem& operator=(const BMenuItem&) = delete;

    const char* Label() const { return fLabel.c_str(); }
    BMessage* Message() const { return fMessage.get(); }
    // The message's code, 0 when the item has no message.
    uint32 Command() const { return fMessage ? fMessage->what : 0; }
    void SetMessage(BMessage* message);

    void SetMarked(bool marked);
    bool IsMarked() const;
    // Extension: a text shown at the item's right, as desktop menus show a
    // key that does what the item does ("F3", "Shift+F1"); empty: none. It
    // is only shown: the key itself is the window's business.
    void SetShortcutText(const char* text);
    std::string ShortcutText() const;
    void SetEnabled(bool enabled);
    bool IsEnabled() const;

    BMenu* Submenu() const { return fSubmenu.get(); }
    BMenu* Menu() const { return fMenu; }
    virtual bool IsSeparator() const { return false; }

    // Where the item's message goes when invoked; null: the window that
    // shows the menu.
    void SetTarget(BLooper* target) { fTarget = target; }
    BLooper* Target() const { return fTarget; }

private:
    friend class BMenu;
    std::string fLabel;
    std::unique_ptr<BMessage> fMessage;
    std::unique_ptr<BMenu> fSubmenu;
    BMenu* fMenu = nullptr;
    BLooper* fTarget = nullptr;
    std::string fShortcutText;  // guarded by the menus' lock
    bool fMarked = false;   // guarded by the menus' lock
    bool fEnabled = true;   // guarded by the menus' lock
};

class BSeparatorItem : public BMenuItem {
public:
    BSeparatorItem() : BMenuItem("", nullptr) {}
    bool IsSeparator() const override { return true; }
};

class BMenu : public BView {
public:
    explicit BMenu(const char* name, menu_layout layout = B_ITEMS_IN_COLUMN);
    ~BMenu() override;

    // The menu takes ownership of what it is given.
    bool AddItem(BMenuItem* item);
    bool AddItem(BMenu* submenu);
    bool AddSeparatorItem();

    int32 CountItems() const;
    BMenuItem* ItemAt(int32 index) const;
    // The first item with this label or code, in this menu or, depth first,
    // in its submenus; null when there is none.
    BMenuItem* FindItem(const char* label) const;
    BMenuItem* FindItem(uint32 command) const;
    // The first marked item of this menu itself; null when none is marked.
    BMenuItem* FindMarked() const;

    // A disabled menu cannot be opened from its parent.
    void SetEnabled(bool enabled);
    bool IsEnabled() const;
    BMenuItem* Superitem() const { return fSuperitem; }
    menu_layout Layout() const { return fLayout; }

private:
    friend class BMenuItem;
    BMenuItem* FindItemLocked(const char* label, uint32 command, bool byLabel) const;

    menu_layout fLayout;
    std::vector<std::unique_ptr<BMenuItem>> fItems;  // guarded by the menus' lock
    BMenuItem* fSuperitem = nullptr;
    bool fEnabled = true;
};

class BMenuBar : public BMenu {
public:
    BMenuBar(BRect frame, const char* name, uint32 resizingMode = B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP,
             menu_layout layout = B_ITEMS_IN_ROW, bool resizeToFit = true);
};

namespace kit {
// The menus' lock (recursive), for code that reads a whole menu tree.
std::recursive_mutex& menu_lock();
}
