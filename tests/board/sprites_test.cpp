// The sprite list against a literal reference painter (random scenes with
// every bit of every entry word random, and chains landing on the edges);
// clipping, table bounds and missing memories for any input.
#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cstring>
#include <random>
#include <vector>

#include "board.h"

namespace {

constexpr int kWidth = kScreenWidth;
constexpr int kHeight = kScreenHeight;
constexpr size_t kTilesBytes = 4096 * 256;

constexpr unsigned kSignX = 0x01, kSignY = 0x02, kRelative = 0x04;

// Drawing colour n of the test palette; the background is none of them.
constexpr uint16_t kColourBase = 0x4000;
constexpr uint16_t kBackground = 0x0BAD;

struct Entry {
    unsigned attributes = 0, x = 0, y = 0, tileLow = 0, tileHigh = 0;
};

// Owns the memories the board draws from; puts the board's back afterwards.
class Scene {
public:
    Scene() : tiles_(kTilesBytes, 0), sprites_(480 * 16, 0), savedTiles_(tilesRom), savedSprites_(spriteRam) {
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

    void fillTile(unsigned tile, uint8_t value) { std::memset(&tiles_.at(tile * 256), value, 256); }
    // Words +6 to +14 of entry n, each a host-order value at its offset.
    void setEntry(int n, const Entry& e) {
        const unsigned words[5] = {e.attributes, e.x, e.y, e.tileLow, e.tileHigh};
        for (int w = 0; w < 5; ++w) {
            const uint16_t v = static_cast<uint16_t>(words[w]);
            std::memcpy(&sprites_.at(n * 16 + 6 + w * 2), &v, 2);
        }
    }
    unsigned char* spriteBytes() { return sprites_.data(); }
    unsigned char* tileBytes() { return tiles_.data(); }

    void draw() {
        fastClear(render_offscreen, uint32_t{kBackground} << 16 | kBackground);
        refreshDisplay();
    }
    std::vector<uint16_t> reference() const;

private:
    std::vector<unsigned char> tiles_, sprites_;
    unsigned char* savedTiles_;
    unsigned char* savedSprites_;
    std::array<uint16_t, 256> savedPalette_;
};

inline uint16_t pixel(int x, int y) { return render_offscreen[y * kWidth + x]; }

inline int countDrawn() {
    int n = 0;
    for (int i = 0; i < kWidth * kHeight; ++i) n += render_offscreen[i] != kBackground;
    return n;
}

unsigned word(const unsigned char* entry, int offset) {
    uint16_t w;
    std::memcpy(&w, entry + offset, 2);
    return w;
}

// The sprite list painted the most literal way, pixel by pixel from the
// description of the board: an independent model of the frame.
std::vector<uint16_t> Scene::reference() const {
    const unsigned char* sprites = sprites_.data();
    const unsigned char* tiles = tiles_.data();
    const uint16_t* palette = dynamicPalette;
    std::vector<uint16_t> frame(kWidth * kHeight, kBackground);
    int X = 0, Y = 0;
    for (int n = 0; n < 480; ++n) {
        const unsigned char* e = sprites + 16 * n;
        const unsigned w6 = word(e, 6), w14 = word(e, 14);
        int dx = static_cast<int>(word(e, 8) % 256);
        int dy = static_cast<int>(word(e, 10) % 256);
        if (w6 & 1) dx -= 256;
        if (w6 & 2) dy -= 256;
        if (w6 & 4) {
            X += dx;
            Y += dy;
        } else {
            X = dx;
            Y = dy;
        }
        if (X > 511) X %= 512;
        if (Y > 511) Y %= 512;
        if (!(X > -16 && X <= 255 && Y > 0 && Y <= 239)) continue;

        const unsigned tile = (w14 % 16) * 256 + word(e, 12) % 256;
        const unsigned bank = w6 & 0xF0;
        for (int r = 0; r < 16; ++r) {
            for (int c = 0; c < 16; ++c) {
                // Where sprite pixel (r, c) comes from once the flips are undone.
                const int sr = (w14 & 0x40) ? 15 - r : r;
                const int sc = (w14 & 0x80) ? 15 - c : c;
                const int quarter = (sr < 8 ? 0 : 2) + (sc < 8 ? 0 : 1);
                const unsigned p = tiles[tile * 256 + quarter * 64 + (sr % 8) * 8 + sc % 8];
                const int fx = X + c, fy = Y - 16 + r;
                if (p != 0 && fx >= 0 && fx < kWidth && fy >= 0 && fy < kHeight)
                    frame[fy * kWidth + fx] = palette[bank + p];
            }
        }
    }
    return frame;
}

::testing::AssertionResult framesEqual(const std::vector<uint16_t>& expected) {
    int differing = 0, first = -1;
    for (int i = 0; i < kWidth * kHeight; ++i) {
        if (render_offscreen[i] == expected[i]) continue;
        if (differing++ == 0) first = i;
    }
    if (differing == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << differing << " pixels differ, the first at (" << first % kWidth << ", "
                                         << first / kWidth << "): " << render_offscreen[first] << ", expected "
                                         << expected[first];
}

constexpr uint16_t colour(unsigned index) { return static_cast<uint16_t>(kColourBase + index); }

TEST(SpriteList, RandomScenesMatchTheReferencePainter) {
    Scene scene;
    for (unsigned seed = 1; seed <= 12; ++seed) {
        std::mt19937 engine(seed);
        auto random = [&engine] { return static_cast<unsigned>(engine()); };
        for (size_t i = 0; i < kTilesBytes; ++i) {
            const unsigned v = random() % 24;
            scene.tileBytes()[i] = static_cast<uint8_t>(v < 9 ? 0 : v - 8);  // one in three transparent
        }
        for (int n = 0; n < 256; ++n) dynamicPalette[n] = static_cast<uint16_t>(random() & 0x7FFF);
        for (size_t i = 0; i < 480 * 16; ++i) scene.spriteBytes()[i] = static_cast<uint8_t>(random());
        for (int n = 0; n < 480; ++n) {
            // Mostly positive offsets, so chains stay near the screen.
            const unsigned signs = (random() % 6 == 0 ? kSignX : 0) | (random() % 6 == 0 ? kSignY : 0);
            scene.setEntry(n, {.attributes = (random() & 0xFFFC) | signs,
                               .x = random() & 0xFFFF,
                               .y = random() & 0xFFFF,
                               .tileLow = random() & 0xFFFF,
                               .tileHigh = random() & 0xFFFF});
        }
        scene.draw();
        ASSERT_GT(countDrawn(), 2000) << "seed " << seed;
        ASSERT_TRUE(framesEqual(scene.reference())) << "seed " << seed;
    }
}

// Chains that land on the edges: exactly 511 and 512 (wrapped), the first
// and last visible column and line, one past them, and negative sums.
TEST(SpriteList, EdgePositionsMatchTheReferencePainter) {
    Scene scene;
    for (unsigned t = 1; t < 16; ++t) scene.fillTile(t, static_cast<uint8_t>(t));
    const struct {
        unsigned attributes, x, y;
    } chain[] = {
        {0, 255, 239},      {kRelative, 255, 255}, {kRelative, 1, 17},             // 510, 494 past the frame
        {kRelative, 1, 1},  {kSignX, 241, 16},     {kSignX, 240, 224},             // 511 and 512, -15, -16
        {kSignY, 8, 255},   {kRelative | kSignY, 0, 255},                          // y -1 then -2
        {0, 0, 1},          {0, 255, 239},         {0, 128, 0},
        {0, 255, 240},      {kRelative, 255, 255}, {kRelative, 2, 33},             // 512, 528: wrapped to 0, 16
    };
    for (unsigned n = 0; n < std::size(chain); ++n)
        scene.setEntry(static_cast<int>(n), {.attributes = chain[n].attributes, .x = chain[n].x, .y = chain[n].y,
                                             .tileLow = 1 + n % 15});
    scene.draw();
    EXPECT_TRUE(framesEqual(scene.reference()));
    EXPECT_GT(countDrawn(), 0);
}

TEST(SpriteDrawing, AnyPositionTileAndColourStayInsideTheFrameAndTheTables) {
    Scene scene;
    scene.fillTile(1, 1);
    scene.fillTile(0xFFF, 2);
    fastClear(render_offscreen, uint32_t{kBackground} << 16 | kBackground);
    const int far[][2] = {{INT_MIN, 0}, {INT_MAX, 0},   {0, INT_MIN},     {0, INT_MAX}, {-16, 0},
                          {256, 0},     {0, -16},       {0, 224},         {INT_MIN, INT_MIN}};
    for (const auto& p : far) displaySprite16x16(1, 0, 0, 0, p[0], p[1]);
    EXPECT_EQ(countDrawn(), 0);
    displaySprite16x16(1, 0, 0, 0, -15, -15);
    displaySprite16x16(1, 0, 0, 0, 255, 223);
    EXPECT_EQ(countDrawn(), 2);
    EXPECT_EQ(pixel(0, 0), colour(1));
    EXPECT_EQ(pixel(255, 223), colour(1));

    displaySprite16x16(0x1FFF, 0, 0, 0, 0, 16);  // the tile number keeps 12 bits
    EXPECT_EQ(pixel(0, 16), colour(2));
    displaySprite16x16(0xFFF, 0x1F0, 0, 0, 16, 16);  // the palette index keeps 8 bits
    EXPECT_EQ(pixel(16, 16), colour(0xF2));
    displaySprite16x16(0xFFF, 0xFF, 0, 0, 32, 16);  // 0xFF + 2 wraps to entry 1
    EXPECT_EQ(pixel(32, 16), colour(0x01));
}

TEST(SpriteList, NoBoardMemoriesMeansBackgroundOnly) {
    Scene scene;
    scene.fillTile(1, 1);
    scene.setEntry(0, {.x = 0x10, .y = 0x20, .tileLow = 1});
    unsigned char* sprites = spriteRam;
    spriteRam = nullptr;
    scene.draw();
    EXPECT_EQ(countDrawn(), 0);
    spriteRam = sprites;
    tilesRom = nullptr;  // the scene restores the board's pointer
    scene.draw();
    EXPECT_EQ(countDrawn(), 0);
    displaySprite16x16(1, 0, 0, 0, 0, 0);
    EXPECT_EQ(countDrawn(), 0);
}

}  // namespace
