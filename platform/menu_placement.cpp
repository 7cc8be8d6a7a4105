#include "menu_placement.h"

#include <algorithm>

namespace kit {

namespace {

// The top of a submenu beside its parent: level with its item, moved up as
// far as needed to fit, never above the display.
float top_beside(const Area& display, const Area& item, float height) {
    return std::max(display.top, std::min(item.top, display.bottom - height));
}

// Left edge of a submenu above or below its parent: against the window's edge
// on the side away from the parent, which leaves the most room beside the
// submenu for a submenu of its own.
float left_across(const Area& display, const Area& parent, float width) {
    const float middle = (display.left + display.right) / 2;
    const float centre = (parent.left + parent.right) / 2;
    return centre < middle ? std::max(display.left, display.right - width) : display.left;
}

}  // namespace

SubmenuPlace place_submenu(const Area& display, const Area& parent, const Area& item, float width,
                           float height, float minHeight) {
    const float fullHeight = std::min(height, display.Height());
    // Beside the parent: to the right, else to the left.
    if (parent.right + width <= display.right)
        return {parent.right, top_beside(display, item, fullHeight), display.Height()};
    if (parent.left - width >= display.left)
        return {parent.left - width, top_beside(display, item, fullHeight), display.Height()};
    // Too narrow: below or above the parent, whichever shows more of it.
    const float below = display.bottom - parent.bottom;
    const float above = parent.top - display.top;
    const float x = left_across(display, parent, width);
    if (below >= std::min(height, minHeight) && below >= std::min(above, height))
        return {x, parent.bottom, below};
    if (above >= std::min(height, minHeight)) {
        const float shown = std::min(height, above);
        return {x, parent.top - shown, above};
    }
    // Nowhere without covering the parent: at the right edge, as far down as
    // possible, so that the items above it stay visible.
    return {std::max(display.left, display.right - width), std::max(display.top, display.bottom - fullHeight),
            display.Height()};
}

}  // namespace kit
