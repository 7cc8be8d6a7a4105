// The sprite list: 480 entries of 16 bytes in sprite RAM, each placed at an
// absolute position or relative to the previous entry, drawn in list order
// (a later sprite covers an earlier one) over the background.
#include <algorithm>
#include <cstring>

#include "board.h"
#include "sprite_entry.h"

namespace {
constexpr int kSpriteSize = sprite_entry::kSize;
constexpr int kTileBytes = kSpriteSize * kSpriteSize;
constexpr unsigned kTileMask = 0xFFF;  // 4096 tiles

// Word `index` of a sprite entry: the memory image keeps each 68000 word as
// one host-order value.
unsigned entry_word(const unsigned char* entry, int index) {
    uint16_t word;
    std::memcpy(&word, entry + 2 * index, sizeof word);
    return word;
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
    for (int n = 0; n < sprite_entry::kCount; ++n) {
        using namespace sprite_entry;
        const unsigned char* entry = spriteRam + n * 2 * kWords;
        const unsigned attributes = entry_word(entry, kAttributes);
        advance(attributes, entry_word(entry, kOffsetX), entry_word(entry, kOffsetY), x, y);
        if (onPicture(x, y)) {
            const unsigned high = entry_word(entry, kTileHigh);
            displaySprite16x16(sprite_entry::tile(entry_word(entry, kTileLow), high), attributes & 0xF0, high & 0x80,
                               high & 0x40, x, y - kSize);
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
