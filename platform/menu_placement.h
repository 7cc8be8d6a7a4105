// Where a submenu opens: beside the menu it belongs to, or, when the window
// is too narrow for that, below (or above) it. Never over that menu, so none
// of its items is hidden. Pure geometry, in window pixels.
#pragma once

namespace kit {

struct Area {
    float left = 0, top = 0, right = 0, bottom = 0;
    float Width() const { return right - left; }
    float Height() const { return bottom - top; }
};

struct SubmenuPlace {
    float x = 0, y = 0;
    float maxHeight = 0;  // the submenu scrolls when it is taller
};

// `display`: where menus may go (the window below its menu bar); `parent`:
// the menu's frame; `item`: the frame of the item that opens the submenu;
// `width` and `height`: the submenu's whole size; `minHeight`: the least
// height worth showing above or below the parent (a few items).
SubmenuPlace place_submenu(const Area& display, const Area& parent, const Area& item, float width,
                           float height, float minHeight);

}  // namespace kit
