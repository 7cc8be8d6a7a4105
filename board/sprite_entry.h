// One entry of the sprite list: 8 words (16 bytes) of sprite RAM. The
// board's drawing and the workbench's sprite table both decode entries here,
// so that what the table shows is what the board draws.
#pragma once

namespace sprite_entry {

constexpr int kCount = 480;  // entries in sprite RAM
constexpr int kWords = 8;
constexpr int kSize = 16;  // a sprite is 16 x 16 pixels

// The words of an entry, by index.
constexpr int kAttributes = 3;  // bit 0 X sign, bit 1 Y sign, bit 2 relative, bits 4-7 colour bank
constexpr int kOffsetX = 4;     // low 8 bits of X
constexpr int kOffsetY = 5;     // low 8 bits of Y
constexpr int kTileLow = 6;     // tile bits 0-7
constexpr int kTileHigh = 7;    // tile bits 8-11, bit 6 vertical flip, bit 7 horizontal flip

// The running position (x, y) after an entry with these words: 9-bit signed
// offsets, taken as the position or added to the one before when the entry
// is relative; a position past 511 wraps, a negative one stays. y is the
// line below the sprite's bottom row.
inline void advance(unsigned attributes, unsigned offsetX, unsigned offsetY, int& x, int& y) {
    const int dx = static_cast<int>(offsetX & 0xFF) - (attributes & 0x01 ? 256 : 0);
    const int dy = static_cast<int>(offsetY & 0xFF) - (attributes & 0x02 ? 256 : 0);
    if (attributes & 0x04) {
        x += dx;
        y += dy;
    } else {
        x = dx;
        y = dy;
    }
    if (x > 511) x &= 0x1FF;
    if (y > 511) y &= 0x1FF;
}

// Whether a sprite at the running position (x, y) reaches the 256 x 224 picture.
inline bool onPicture(int x, int y) { return x > -kSize && x <= 255 && y > 0 && y <= 223 + kSize; }

inline unsigned tile(unsigned low, unsigned high) { return (high & 0x0F) << 8 | (low & 0xFF); }

}  // namespace sprite_entry
