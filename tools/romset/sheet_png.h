// Tile sheets as PNG images.
//
// Pixel value n (0-15) is the grey level 17 x n: 0 black (transparent on the
// board), 15 white. Fully transparent PNG pixels also read as 0. The image
// must be 256 pixels wide and a multiple of 16 pixels high (at most 4096).
#pragma once

#include <string>

#include "tile_codec.h"

namespace romset {

TileSheet readSheetPng(const std::string& path);
void writeSheetPng(const std::string& path, const TileSheet& sheet);

// The pixel value of an RGBA colour, or -1 when it is not one of the 16 levels.
int pixelValueOf(uint8_t r, uint8_t g, uint8_t b, uint8_t a);

}  // namespace romset
