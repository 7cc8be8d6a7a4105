// The board's ROM set: file names, sizes and the graphics layout.
#pragma once

#include <cstddef>

namespace romset {

constexpr std::size_t kRomFileSize = 131072;              // every one of the six files
constexpr std::size_t kProgramMax = 2 * kRomFileSize;     // 256 KiB of 68000 program
constexpr const char* kEvenProgramFile = "PELLMORA.3A";   // bytes at even 68000 addresses
constexpr const char* kOddProgramFile = "PELLMORA.2A";    // bytes at odd 68000 addresses
constexpr const char* kGraphicsFiles[4] = {"CH0", "CH1", "CH2", "CH3"};

constexpr int kTileSize = 16;                             // tiles are 16 x 16 pixels
constexpr std::size_t kTileBytes = 128;                   // two pixels a byte
constexpr std::size_t kTilesPerFile = kRomFileSize / kTileBytes;  // 1024
constexpr std::size_t kTileCount = 4 * kTilesPerFile;     // 4096

// A tile sheet is 16 tiles across; tile t sits at column t % 16, row t / 16.
constexpr int kSheetColumns = 16;
constexpr int kSheetWidth = kSheetColumns * kTileSize;    // 256 pixels
constexpr int kSheetMaxRows = int(kTileCount) / kSheetColumns;  // 256 rows of tiles

}  // namespace romset
