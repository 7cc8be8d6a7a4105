// Palette RAM and graphics tiles as the workbench shows them: palette words
// with their fields, and tiles decoded into 15-bit pixels with a chosen bank.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace workbench {

constexpr int kPaletteEntries = 256;
constexpr int kTileCount = 4096;
constexpr int kTilePixels = 256;

// Entry `n` of palette RAM (512 bytes, as the 68000 wrote them): red in
// bits 0-4, green 5-9, blue 10-14.
uint16_t paletteWord(const uint8_t* paletteRam, int n);
// A palette word as a picture pixel (red in bits 14-10, blue in 4-0).
uint16_t pixelOf(uint16_t paletteWord);
// "colour 37 (bank 2, index 5): 0x1234 = red 20 green 17 blue 4".
std::string colourName(int n, uint16_t paletteWord);

// Tile `tile` of the graphics (one byte a pixel, 4096 tiles of 16 x 16 in
// four 8 x 8 quarters) as 256 picture pixels, row by row, through the drawing
// colours of `bank` of `colours` (256 pixels). Pixel value 0 takes
// `transparent`. An empty or short graphics image gives all `transparent`.
void decodeTile(std::span<const uint8_t> graphics, unsigned tile, const uint16_t* colours, unsigned bank,
                uint16_t transparent, uint16_t out[kTilePixels]);

}  // namespace workbench
