// Test support for the picture: tile memory, sprite RAM and a palette owned
// by the test and lent to the board, sprite entries written as the 68000
// leaves them in memory, a literal reference painter, and PNG files of frames
// that differ.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "board.h"

namespace sprites_test {

constexpr int kWidth = kScreenWidth;
constexpr int kHeight = kScreenHeight;
constexpr size_t kTilesBytes = 4096 * 256;
constexpr size_t kSpriteRamBytes = 480 * 16;

// Bits of entry word +6 and word +14.
constexpr unsigned kSignX = 0x01, kSignY = 0x02, kRelative = 0x04;

// Drawing colour n of the test palette is kColourBase + n: every palette index
// is recognisable in the frame, and the background is none of them.
constexpr uint16_t kColourBase = 0x4000;
constexpr uint16_t kBackground = 0x0BAD;

// One sprite entry as the program sees it: 68000 words at their offsets.
struct Entry {
    unsigned attributes = 0;  // word +6
    unsigned x = 0;           // word +8
    unsigned y = 0;           // word +10
    unsigned tileLow = 0;     // word +12
    unsigned tileHigh = 0;    // word +14
};

// Owns the memories the board draws from and restores the board's pointers
// and palette afterwards.
class Scene {
public:
    Scene() : tiles_(kTilesBytes, 0), sprites_(kSpriteRamBytes, 0) {
        savedTiles_ = tilesRom;
        savedSprites_ = spriteRam;
        std::memcpy(savedPalette_.data(), dynamicPalette, sizeof dynamicPalette);
        tilesRom = tiles_.data();
        spriteRam = sprites_.data();
        for (int n = 0; n < 256; ++n) dynamicPalette[n] = static_cast<uint16_t>(kColourBase + n);
    }
    ~Scene() {
        tilesRom = savedTiles_;
        spriteRam = savedSprites_;
        std::memcpy(dynamicPalette, savedPalette_.data(), sizeof dynamicPalette);
    }
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;

    void fillTile(unsigned tile, uint8_t value) { std::memset(&tiles_.at(tile * 256), value, 256); }

    // Writes entry n in the memory image format: each 68000 word as one
    // host-order 16-bit value at the word's offset.
    void setEntry(int n, const Entry& e) {
        const unsigned words[8] = {0, 0, 0, e.attributes, e.x, e.y, e.tileLow, e.tileHigh};
        for (int w = 0; w < 8; ++w) {
            const uint16_t v = static_cast<uint16_t>(words[w]);
            std::memcpy(&sprites_.at(n * 16 + w * 2), &v, 2);
        }
    }
    unsigned char* spriteBytes() { return sprites_.data(); }
    unsigned char* tileBytes() { return tiles_.data(); }

    // The frame pass: background, then the sprite list.
    void draw() {
        fastClear(render_offscreen, uint32_t{kBackground} << 16 | kBackground);
        refreshDisplay();
    }

private:
    std::vector<unsigned char> tiles_, sprites_;
    unsigned char* savedTiles_;
    unsigned char* savedSprites_;
    std::array<uint16_t, 256> savedPalette_;
};

inline uint16_t pixel(int x, int y) { return render_offscreen[y * kWidth + x]; }

// Pixels of the frame other than the background.
inline int countDrawn() {
    int n = 0;
    for (int i = 0; i < kWidth * kHeight; ++i) n += render_offscreen[i] != kBackground;
    return n;
}

// The sprite list painted the most literal way, pixel by pixel from the
// description of the board: an independent model to compare the frame with.
std::vector<uint16_t> referenceFrame(const unsigned char* sprites, const unsigned char* tiles,
                                     const uint16_t* palette, uint16_t background);

// Writes a 15-bit frame as a PNG under the test's temporary directory and
// returns the file's path.
std::string writePng(const std::string& name, const uint16_t* frame);

// Compares the frame with an expected one; on a mismatch writes both as PNG
// files and names the first differing pixel.
::testing::AssertionResult framesEqual(const std::string& name, const std::vector<uint16_t>& expected);

}  // namespace sprites_test
