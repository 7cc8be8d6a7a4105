// Tiles between a sheet of pixel values and the board's four graphics files.
//
// A tile is 16 x 16 pixels of values 0-15 (0 is transparent). In the ROM it
// takes 128 bytes: four 8 x 8 quarters (top-left, top-right, bottom-left,
// bottom-right), each 8 rows of 4 bytes, two pixels a byte with the left pixel
// in the high nibble. Tile t lies at offset 128 x (t mod 1024) of file t / 1024.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace romset {

// A sheet 256 pixels wide (16 tiles) and 16 x rows high, one byte per pixel.
struct TileSheet {
    int rows = 0;
    std::vector<uint8_t> pixels;  // 256 x (16 x rows) values 0-15, row-major

    int width() const;
    int height() const;
    int tileCount() const { return rows * 16; }
    uint8_t at(int x, int y) const { return pixels[std::size_t(y) * std::size_t(width()) + std::size_t(x)]; }
    uint8_t& at(int x, int y) { return pixels[std::size_t(y) * std::size_t(width()) + std::size_t(x)]; }
};

TileSheet makeSheet(int rows);

using GraphicsRoms = std::array<std::vector<uint8_t>, 4>;  // kGraphicsFiles

// Encodes every tile of the sheet; tiles past the sheet's end are left 0.
GraphicsRoms encodeTiles(const TileSheet& sheet);

// Decodes the first `rows` x 16 tiles (rows 1-256). Files shorter than
// 128 KiB are refused.
TileSheet decodeTiles(const GraphicsRoms& roms, int rows);

// The number of sheet rows needed to show every tile that has a non-zero
// pixel (at least 1).
int usedRows(const GraphicsRoms& roms);

}  // namespace romset
