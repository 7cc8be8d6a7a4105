// The sprite list where the demo never draws: the last column and line,
// chains wrapping at 512, each flip alone; and drawing that stays inside the
// frame and the tables for any input. (Ordinary scenes are the golden frames'.)
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>
#include <vector>

#include "board.h"

namespace {

constexpr uint16_t kBackground = 0x0BAD;
constexpr uint16_t colour(unsigned index) { return static_cast<uint16_t>(0x4000 + index); }
inline uint16_t pixel(int x, int y) { return render_offscreen[y * kScreenWidth + x]; }
long countDrawn() {
    return std::ssize(render_offscreen) - std::count(std::begin(render_offscreen), std::end(render_offscreen), kBackground);
}
void clearFrame() { fastClear(render_offscreen, uint32_t{kBackground} << 16 | kBackground); }

// Tile 1 is colour 1 everywhere; tile 2's quarters are 1, 2, 3, 4 (top-left,
// top-right, bottom-left, bottom-right). Puts the board's memories back after.
class SpriteScene : public testing::Test {
protected:
    std::vector<unsigned char> tiles = std::vector<unsigned char>(4096 * 256, 0);
    std::vector<unsigned char> sprites = std::vector<unsigned char>(480 * 16, 0);
    unsigned char *savedTiles = tilesRom, *savedSprites = spriteRam;
    void SetUp() override {
        std::memset(&tiles[256], 1, 256);
        for (int q = 0; q < 4; ++q) std::memset(&tiles[512 + 64 * q], q + 1, 64);
        tilesRom = tiles.data(), spriteRam = sprites.data();
        for (int n = 0; n < 256; ++n) dynamicPalette[n] = colour(n);
    }
    void TearDown() override { tilesRom = savedTiles, spriteRam = savedSprites; }
};

TEST_F(SpriteScene, EdgesWrapsAndFlipsDrawWhereTheBoardDoes) {
    const struct {
        std::vector<std::array<uint16_t, 5>> chain;  // words 3 to 7: attributes, X, Y, tile low and high
        int x, y;
        uint16_t seen;
    } rows[] = {
        {{{0, 255, 239, 1, 0}}, 255, 223, colour(1)},                                     // last column and line
        {{{0, 255, 240, 1, 0}, {4, 255, 255, 0, 0}, {4, 2, 33, 1, 0}}, 0, 0, colour(1)},  // 512, 528: 0, 16
        {{{0, 16, 16, 2, 0x80}}, 16, 0, colour(2)},                                       // flipped left-right
        {{{0, 16, 16, 2, 0x40}}, 16, 0, colour(3)},                                       // flipped upside down
    };
    for (const auto& r : rows) {
        std::fill(sprites.begin(), sprites.end(), 0);
        for (size_t n = 0; n < r.chain.size(); ++n) std::memcpy(&sprites[n * 16 + 6], r.chain[n].data(), 10);
        clearFrame();
        refreshDisplay();
        EXPECT_EQ(pixel(r.x, r.y), r.seen) << &r - rows;
    }
}

TEST_F(SpriteScene, AnyPositionTileAndColourStayInsideTheFrameAndTheTables) {
    std::memset(&tiles[0xFFF * 256], 2, 256);
    clearFrame();
    const int far[][2] = {{INT_MIN, 0}, {INT_MAX, 0}, {0, INT_MIN}, {0, INT_MAX}, {-16, 0},
                          {256, 0},     {0, -16},     {0, 224},     {INT_MIN, INT_MIN}};
    for (const auto& p : far) displaySprite16x16(1, 0, 0, 0, p[0], p[1]);
    EXPECT_EQ(countDrawn(), 0);
    displaySprite16x16(1, 0, 0, 0, -15, -15);
    displaySprite16x16(1, 0, 0, 0, 255, 223);
    EXPECT_EQ(countDrawn(), 2);
    displaySprite16x16(0x1FFF, 0, 0, 0, 0, 16);  // the tile number keeps 12 bits
    EXPECT_EQ(pixel(0, 16), colour(2));
    displaySprite16x16(0xFFF, 0x1F0, 0, 0, 16, 16);  // the palette index keeps 8 bits
    EXPECT_EQ(pixel(16, 16), colour(0xF2));
    displaySprite16x16(0xFFF, 0xFF, 0, 0, 32, 16);  // 0xFF + 2 wraps to entry 1
    EXPECT_EQ(pixel(32, 16), colour(0x01));
    // No sprite RAM or no graphics: the background only.
    clearFrame();
    sprites[6 + 2] = 0x10, sprites[6 + 4] = 0x20, sprites[6 + 6] = 1;
    spriteRam = nullptr;
    refreshDisplay();
    spriteRam = sprites.data(), tilesRom = nullptr;
    refreshDisplay();
    displaySprite16x16(1, 0, 0, 0, 0, 0);
    EXPECT_EQ(countDrawn(), 0);
}

}  // namespace
