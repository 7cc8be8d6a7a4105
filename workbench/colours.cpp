#include "colours.h"

#include <cstdio>

namespace workbench {

uint16_t paletteWord(const uint8_t* paletteRam, int n) {
    return static_cast<uint16_t>(paletteRam[2 * n] << 8 | paletteRam[2 * n + 1]);
}

uint16_t pixelOf(uint16_t word) {
    const unsigned r = word & 0x1F, g = (word >> 5) & 0x1F, b = (word >> 10) & 0x1F;
    return static_cast<uint16_t>(r << 10 | g << 5 | b);
}

std::string colourName(int n, uint16_t word) {
    char text[96];
    std::snprintf(text, sizeof text, "colour %d (bank %d, index %d): 0x%04X = red %u green %u blue %u", n, n / 16,
                  n % 16, word, word & 0x1Fu, (word >> 5) & 0x1Fu, (word >> 10) & 0x1Fu);
    return text;
}

void decodeTile(std::span<const uint8_t> graphics, unsigned tile, const uint16_t* colours, unsigned bank,
                uint16_t transparent, uint16_t out[kTilePixels]) {
    const size_t base = static_cast<size_t>(tile % kTileCount) * kTilePixels;
    for (int r = 0; r < 16; ++r) {
        for (int c = 0; c < 16; ++c) {
            // Quarters: top-left, top-right, bottom-left, bottom-right, 64 bytes each.
            const size_t at = base + (r >> 3) * 128 + (c >> 3) * 64 + (r & 7) * 8 + (c & 7);
            const unsigned value = at < graphics.size() ? graphics[at] : 0;
            out[r * 16 + c] = value ? colours[(bank % 16 * 16 + value) & 0xFF] : transparent;
        }
    }
}

}  // namespace workbench
