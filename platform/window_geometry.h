// How the event loop drew a window: its size, the scale of its menus, and
// where each of its views and their pictures went, in screen pixels. Handed
// to the automation hooks after every draw.
#pragma once

#include <string>
#include <vector>

#include "window_layout.h"

namespace kit {

struct ViewGeometry {
    Box area;     // the view's part of the window
    Box picture;  // where the bitmap drawn into it shows (empty when none)
};

struct WindowGeometry {
    int width = 0, height = 0;
    int uiScale = 0;          // of the menus and alerts
    int menuBarHeight = 0;
    bool fullScreen = false;
    std::string title;
    std::vector<ViewGeometry> views;  // in the order they were added, menus left out
};

}  // namespace kit
