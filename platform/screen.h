// The screen a window is on.
#pragma once

#include "support_defs.h"

class BWindow;

class BScreen {
public:
    explicit BScreen(BWindow* window = nullptr) : fWindow(window) {}
    // The index of the nearest colour in the screen's 8-bit colour map. The
    // screens here have no colour map of their own; the index is that of a
    // map with 3 bits of red, 3 of green and 2 of blue, so black is 0.
    uint8 IndexForColor(uint8 red, uint8 green, uint8 blue, uint8 alpha = 255) const;
    uint8 IndexForColor(rgb_color color) const {
        return IndexForColor(color.red, color.green, color.blue, color.alpha);
    }
    BWindow* Window() const { return fWindow; }
    // The whole scale at which text reads as meant on this screen: 1 on
    // ordinary screens, 2 from 144 dots an inch, 3 from 240.
    int32 DensityScale() const;

private:
    BWindow* fWindow;
};
