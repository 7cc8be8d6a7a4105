#include "screen.h"

#include "display.h"

uint8 BScreen::IndexForColor(uint8 red, uint8 green, uint8 blue, uint8) const {
    return static_cast<uint8>((red & 0xE0) | ((green & 0xE0) >> 3) | (blue >> 6));
}

int32 BScreen::DensityScale() const { return kit::screen_density_scale(); }
