// What the event loop drew, for tests: a copy of a window's pixels and how
// it was last drawn. Callable from any thread while the application's event
// loop runs. Part of the test library platform_testing, which the program
// does not contain.
#pragma once

#include <cstdint>
#include <vector>

#include "window_geometry.h"

class BWindow;

namespace kit {

struct WindowCapture {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;  // 0x00RRGGBB, row-major
};
// Waits (up to `timeoutMs`) for the event loop to draw `window` once more and
// copies what it drew. False when the window is not shown or time runs out.
bool capture_window(BWindow* window, WindowCapture& capture, int timeoutMs = 5000);

// How `window` was last drawn; empty before its first draw and after it is
// gone.
WindowGeometry window_geometry(BWindow* window);

}  // namespace kit
