#include "menu.h"

#include <cstring>

#include "gui_wake.h"

namespace kit {
std::recursive_mutex& menu_lock() {
    static auto* lock = new std::recursive_mutex;  // never destroyed
    return *lock;
}
}  // namespace kit

using MenuLock = std::lock_guard<std::recursive_mutex>;

BMenuItem::BMenuItem(const char* label, BMessage* message, char, uint32)
    : fLabel(label ? label : ""), fMessage(message) {}

BMenuItem::BMenuItem(BMenu* submenu, BMessage* message)
    : fLabel(submenu ? submenu->Name() : ""), fMessage(message), fSubmenu(submenu) {
    if (submenu) submenu->fSuperitem = this;
}

BMenuItem::~BMenuItem() = default;

void BMenuItem::SetMessage(BMessage* message) {
    MenuLock held(kit::menu_lock());
    fMessage.reset(message);
}

void BMenuItem::SetMarked(bool marked) {
    {
        MenuLock held(kit::menu_lock());
        fMarked = marked;
    }
    kit::wake_gui();
}

bool BMenuItem::IsMarked() const {
    MenuLock held(kit::menu_lock());
    return fMarked;
}

void BMenuItem::SetShortcutText(const char* text) {
    {
        MenuLock held(kit::menu_lock());
        fShortcutText = text ? text : "";
    }
    kit::wake_gui();
}

std::string BMenuItem::ShortcutText() const {
    MenuLock held(kit::menu_lock());
    return fShortcutText;
}

void BMenuItem::SetEnabled(bool enabled) {
    {
        MenuLock held(kit::menu_lock());
        fEnabled = enabled;
    }
    kit::wake_gui();
}

bool BMenuItem::IsEnabled() const {
    MenuLock held(kit::menu_lock());
    return fEnabled && (!fSubmenu || fSubmenu->fEnabled);
}

BMenu::BMenu(const char* name, menu_layout layout)
    : BView(BRect(), name, B_FOLLOW_NONE, 0), fLayout(layout) {}

BMenu::~BMenu() = default;

bool BMenu::AddItem(BMenuItem* item) {
    if (!item) return false;
    {
        MenuLock held(kit::menu_lock());
        item->fMenu = this;
        fItems.emplace_back(item);
    }
    kit::wake_gui();
    return true;
}

bool BMenu::AddItem(BMenu* submenu) { return submenu && AddItem(new BMenuItem(submenu)); }

bool BMenu::AddSeparatorItem() { return AddItem(new BSeparatorItem); }

int32 BMenu::CountItems() const {
    MenuLock held(kit::menu_lock());
    return static_cast<int32>(fItems.size());
}

BMenuItem* BMenu::ItemAt(int32 index) const {
    MenuLock held(kit::menu_lock());
    if (index < 0 || static_cast<size_t>(index) >= fItems.size()) return nullptr;
    return fItems[index].get();
}

BMenuItem* BMenu::FindItemLocked(const char* label, uint32 command, bool byLabel) const {
    for (const auto& item : fItems) {
        if (item->IsSeparator()) continue;
        if (byLabel ? item->fLabel == label : (item->fMessage && item->fMessage->what == command))
            return item.get();
        if (item->fSubmenu) {
            if (BMenuItem* found = item->fSubmenu->FindItemLocked(label, command, byLabel)) return found;
        }
    }
    return nullptr;
}

BMenuItem* BMenu::FindItem(const char* label) const {
    if (!label) return nullptr;
    MenuLock held(kit::menu_lock());
    return FindItemLocked(label, 0, true);
}

BMenuItem* BMenu::FindItem(uint32 command) const {
    MenuLock held(kit::menu_lock());
    return FindItemLocked(nullptr, command, false);
}

BMenuItem* BMenu::FindMarked() const {
    MenuLock held(kit::menu_lock());
    for (const auto& item : fItems)
        if (item->fMarked) return item.get();
    return nullptr;
}

void BMenu::SetEnabled(bool enabled) {
    {
        MenuLock held(kit::menu_lock());
        fEnabled = enabled;
    }
    kit::wake_gui();
}

bool BMenu::IsEnabled() const {
    MenuLock held(kit::menu_lock());
    return fEnabled && (!fSuperitem || fSuperitem->fEnabled);
}

BMenuBar::BMenuBar(BRect frame, const char* name, uint32 resizingMode, menu_layout layout, bool)
    : BMenu(name, layout) {
    (void)resizingMode;
    MoveTo(frame.left, frame.top);
}
