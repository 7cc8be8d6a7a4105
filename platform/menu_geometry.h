// Where the open menus of a window were last drawn, for tests and
// automation: every open menu's frame and the frames of its items, in window
// pixels at scale 1 (origin at the window's top-left corner).
#pragma once

#include <string>
#include <vector>

class BWindow;

namespace kit {

struct MenuBox {
    float left = 0, top = 0, right = 0, bottom = 0;
    bool Intersects(const MenuBox& other) const {
        return left < other.right && other.left < right && top < other.bottom && other.top < bottom;
    }
};

struct OpenMenu {
    std::string title;          // label of the item (or menu bar title) that opened it
    int parent = -1;            // index of the menu it opened from; -1: the menu bar
    MenuBox frame;              // the whole menu
    std::vector<MenuBox> items;  // its items, separators left out
    std::vector<std::string> labels;
};

// The menu bar's titles and the open menus, as `window` was last drawn.
struct MenuGeometry {
    std::vector<MenuBox> titles;
    std::vector<std::string> titleLabels;
    std::vector<OpenMenu> menus;  // parents before their submenus
};
MenuGeometry menu_geometry(BWindow* window);

}  // namespace kit
