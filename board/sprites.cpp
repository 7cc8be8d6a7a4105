// The sprite list: 480 entries of 16 bytes in sprite RAM, each placed at an
// absolute position or relative to the previous entry, drawn in list order
// (a later sprite covers an earlier one) over the background.
#include <algorithm>
#include <cstring>

#include "board.h"

namespace {
constexpr int kSpriteCount = 480;
constexpr int kEntryBytes = 16;
constexpr int kSpriteSize = 16;
constexpr int kTileBytes = kSpriteSize * kSpriteSize;
constexpr unsigned kTileMask = 0xFFF;  // 4096 tiles

// Field words of an entry, as 68000 word offsets.
constexpr int kAttributes = 6;  // bit 0 X sign, bit 1 Y sign, bit 2 relative, bits 4-7 bank
constexpr int kOffsetX = 8;     // low 8 bits of X
constexpr int kOffsetY = 10;    // low 8 bits of Y
constexpr int kTileLow = 12;    // tile bits 0-7
constexpr int kTileHigh = 14;   // tile bits 8-11, bit 6 vertical flip, bit 7 horizontal flip

// A 68000 word of sprite RAM: the memory image keeps it as one host-order value.
unsigned entry_word(const unsigned char* entry, int offset) {
    uint16_t word;
    std::memcpy(&word, entry + offset, sizeof word);
    return word;
}

// A 9-bit signed offset: the low 8 bits with the sign bit kept apart.
int signed_offset(unsigned low8, bool negative) {
    return negative ? static_cast<int>(low8) - 256 : static_cast<int>(low8);
}

// The part [first, end) of the 16 sprite rows or columns starting at `origin`
// that falls inside [0, limit). Computed in 64 bits so no origin overflows.
void visible_span(int origin, int limit, int& first, int& end) {
    const long long o = origin;
    first = static_cast<int>(std::clamp(-o, 0LL, static_cast<long long>(kSpriteSize)));
    end = static_cast<int>(std::clamp(limit - o, 0LL, static_cast<long long>(kSpriteSize)));
}
}  // namespace

void refreshDisplay() {
    if (spriteRam == nullptr || tilesRom == nullptr) return;  // no board memories: background only

    // The running position carries from entry to entry, visible or not.
    int x = 0;
    int y = 0;
    for (int n = 0; n < kSpriteCount; ++n) {
        const unsigned char* entry = spriteRam + n * kEntryBytes;
        const unsigned attributes = entry_word(entry, kAttributes);
        const int dx = signed_offset(entry_word(entry, kOffsetX) & 0xFF, attributes & 0x01);
        const int dy = signed_offset(entry_word(entry, kOffsetY) & 0xFF, attributes & 0x02);
        if (attributes & 0x04) {
            x += dx;
            y += dy;
        } else {
            x = dx;
            y = dy;
        }
        // Positions past 511 wrap; negative ones stay as they are.
        if (x > 511) x &= 0x1FF;
        if (y > 511) y &= 0x1FF;

        if (x > -16 && x <= 255 && y > 0 && y <= 239) {
            const unsigned high = entry_word(entry, kTileHigh);
            const unsigned tile = (high & 0x0F) << 8 | (entry_word(entry, kTileLow) & 0xFF);
            displaySprite16x16(tile, attributes & 0xF0, high & 0x80, high & 0x40, x, y - 16);
        }
    }
}

void displaySprite16x16(unsigned tile, unsigned colour, unsigned flipX, unsigned flipY, int x, int y) {
    if (tilesRom == nullptr) return;

    int firstRow, endRow, firstColumn, endColumn;
    visible_span(y, kScreenHeight, firstRow, endRow);
    visible_span(x, kScreenWidth, firstColumn, endColumn);
    if (firstRow >= endRow || firstColumn >= endColumn) return;

    // Assemble the visible rows of the sprite, flipped, from the tile's four
    // 8x8 quarters (top-left, top-right, bottom-left, bottom-right).
    alignas(16) unsigned char block[kTileBytes];
    const unsigned char* source = tilesRom + (tile & kTileMask) * kTileBytes;
    for (int r = firstRow; r < endRow; ++r) {
        const int sourceRow = flipY ? 15 - r : r;
        const unsigned char* left = source + (sourceRow >> 3) * 128 + (sourceRow & 7) * 8;
        const unsigned char* right = left + 64;
        unsigned char* row = block + r * kSpriteSize;
        if (flipX) {
            for (int c = 0; c < 8; ++c) {
                row[c] = right[7 - c];
                row[8 + c] = left[7 - c];
            }
        } else {
            std::memcpy(row, left, 8);
            std::memcpy(row + 8, right, 8);
        }
    }

    // Pixel value 0 is transparent; others take drawing colour `colour` + value.
    for (int r = firstRow; r < endRow; ++r) {
        const unsigned char* row = block + r * kSpriteSize;
        uint16_t* line = render_offscreen + (y + r) * kScreenWidth;
        for (int c = firstColumn; c < endColumn; ++c) {
            const unsigned p = row[c];
            if (p != 0) line[x + c] = dynamicPalette[(colour + p) & 0xFF];
        }
    }
}
