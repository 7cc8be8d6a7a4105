// Inside the kit: drawing a window's menu bar and its open menus with Dear
// ImGui, recording where they were drawn. Main thread only.
#pragma once

#include <vector>

#include "message.h"

class BLooper;
class BWindow;

namespace kit {

// A menu choice, posted once the menus' lock is released.
struct Choice {
    BLooper* target;
    BMessage message;
};

// Draws `window`'s menu bar (within an ImGui frame) at `scale` and records
// its geometry. `closeMenus` closes every open menu first.
void draw_menu_bar(BWindow* window, float scale, bool closeMenus, std::vector<Choice>& choices);

// Forgets what was recorded of a window that is gone.
void forget_menu_geometry(BWindow* window);

}  // namespace kit
