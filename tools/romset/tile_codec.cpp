#include "tile_codec.h"

#include <algorithm>
#include <string>

#include "layout.h"
#include "rom_error.h"

namespace romset {

namespace {

// Byte `index` (0-127) of a tile holds the two pixels at these tile
// coordinates: quarter index / 32, row (index / 4) % 8, columns 2 x (index % 4).
struct PixelPair {
    int x, y;
};

PixelPair pairOf(std::size_t index) {
    const int quarter = int(index / 32);
    const int row = int(index / 4) % 8;
    const int column = 2 * int(index % 4);
    return {(quarter & 1) * 8 + column, (quarter >> 1) * 8 + row};
}

void checkRows(int rows) {
    if (rows < 1 || rows > kSheetMaxRows)
        throw RomError("a tile sheet has 1 to " + std::to_string(kSheetMaxRows) + " rows of tiles, not " +
                       std::to_string(rows));
}

}  // namespace

int TileSheet::width() const { return kSheetWidth; }
int TileSheet::height() const { return rows * kTileSize; }

TileSheet makeSheet(int rows) {
    checkRows(rows);
    TileSheet sheet;
    sheet.rows = rows;
    sheet.pixels.assign(std::size_t(kSheetWidth) * std::size_t(rows * kTileSize), 0);
    return sheet;
}

GraphicsRoms encodeTiles(const TileSheet& sheet) {
    checkRows(sheet.rows);
    GraphicsRoms roms;
    for (auto& file : roms) file.assign(kRomFileSize, 0);
    for (int tile = 0; tile < sheet.tileCount(); ++tile) {
        const int left = (tile % kSheetColumns) * kTileSize;
        const int top = (tile / kSheetColumns) * kTileSize;
        auto& file = roms[std::size_t(tile) / kTilesPerFile];
        const std::size_t base = kTileBytes * (std::size_t(tile) % kTilesPerFile);
        for (std::size_t i = 0; i < kTileBytes; ++i) {
            const PixelPair p = pairOf(i);
            const uint8_t leftPixel = sheet.at(left + p.x, top + p.y) & 0x0F;
            const uint8_t rightPixel = sheet.at(left + p.x + 1, top + p.y) & 0x0F;
            file[base + i] = uint8_t(leftPixel << 4 | rightPixel);
        }
    }
    return roms;
}

TileSheet decodeTiles(const GraphicsRoms& roms, int rows) {
    for (std::size_t n = 0; n < roms.size(); ++n)
        if (roms[n].size() < kRomFileSize)
            throw RomError(std::string("graphics file ") + kGraphicsFiles[n] + " has " + std::to_string(roms[n].size()) +
                           " bytes; it needs " + std::to_string(kRomFileSize));
    TileSheet sheet = makeSheet(rows);
    for (int tile = 0; tile < sheet.tileCount(); ++tile) {
        const int left = (tile % kSheetColumns) * kTileSize;
        const int top = (tile / kSheetColumns) * kTileSize;
        const auto& file = roms[std::size_t(tile) / kTilesPerFile];
        const std::size_t base = kTileBytes * (std::size_t(tile) % kTilesPerFile);
        for (std::size_t i = 0; i < kTileBytes; ++i) {
            const PixelPair p = pairOf(i);
            sheet.at(left + p.x, top + p.y) = file[base + i] >> 4;
            sheet.at(left + p.x + 1, top + p.y) = file[base + i] & 0x0F;
        }
    }
    return sheet;
}

int usedRows(const GraphicsRoms& roms) {
    int lastTile = -1;
    for (std::size_t n = 0; n < roms.size(); ++n) {
        const std::size_t size = std::min(roms[n].size(), kRomFileSize);
        for (std::size_t i = 0; i < size; ++i)
            if (roms[n][i] != 0) lastTile = std::max(lastTile, int(n * kTilesPerFile + i / kTileBytes));
    }
    return lastTile < 0 ? 1 : lastTile / kSheetColumns + 1;
}

}  // namespace romset
