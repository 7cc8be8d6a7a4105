// The board's ROM set as the tools write it: the board's file names and
// size (rom_files.h), and the graphics layout.
#pragma once

#include <cstddef>

#include "rom_files.h"

namespace romset {

using ::kRomFileSize;                                      // every one of the six files
constexpr std::size_t kProgramMax = 2 * kRomFileSize;     // 256 KiB of 68000 program
constexpr const char* kEvenProgramFile = kRomSetNames[1];  // bytes at even 68000 addresses
constexpr const char* kOddProgramFile = kRomSetNames[0];   // bytes at odd 68000 addresses
constexpr const char* kGraphicsFiles[4] = {kRomSetNames[2], kRomSetNames[3], kRomSetNames[4], kRomSetNames[5]};

constexpr int kTileSize = 16;                             // tiles are 16 x 16 pixels
constexpr std::size_t kTileBytes = 128;                   // two pixels a byte
constexpr std::size_t kTilesPerFile = kRomFileSize / kTileBytes;  // 1024
constexpr std::size_t kTileCount = 4 * kTilesPerFile;     // 4096

// A tile sheet is 16 tiles across; tile t sits at column t % 16, row t / 16.
constexpr int kSheetColumns = 16;
constexpr int kSheetWidth = kSheetColumns * kTileSize;    // 256 pixels
constexpr int kSheetMaxRows = int(kTileCount) / kSheetColumns;  // 256 rows of tiles

}  // namespace romset
