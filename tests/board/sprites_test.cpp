// The sprite list and sprite drawing: whole scenes (positions, chaining,
// wrap, visibility, tile layout, flips, transparency, colour banks, list
// order) compared with a literal reference painter, the bits the board
// ignores, a full list, and clipping and table bounds for any input.
#include <climits>
#include <random>

#include "sprites_scene.h"

using namespace sprites_test;

namespace {

// 32-bit random values from a fixed seed.
class Random {
public:
    explicit Random(unsigned seed) : engine_(seed) {}
    unsigned operator()() { return static_cast<unsigned>(engine_()); }

private:
    std::mt19937 engine_;
};

constexpr uint16_t colour(unsigned index) { return static_cast<uint16_t>(kColourBase + index); }

TEST(SpriteList, BitsOutsideTheFieldsChangeNothing) {
    Scene scene;
    Random random(7);
    for (size_t i = 0; i < kTilesBytes; ++i) scene.tileBytes()[i] = static_cast<uint8_t>(random() % 16);
    for (int n = 0; n < 480; ++n)
        scene.setEntry(n, {.attributes = random() & 0xF4,
                           .x = random() % 256,
                           .y = random() % 256,
                           .tileLow = random() % 256,
                           .tileHigh = random() % 256 & 0xCF});
    scene.draw();
    const std::vector<uint16_t> clean(render_offscreen, render_offscreen + kWidth * kHeight);
    ASSERT_GT(countDrawn(), 1000);

    // Set every bit the board ignores: words +0, +2, +4 entirely, the high
    // bytes of the other words, bit 3 of +6 and bits 4-5 of +14.
    for (int n = 0; n < 480; ++n) {
        unsigned char* e = scene.spriteBytes() + 16 * n;
        const uint16_t ignored[8] = {0xFFFF, 0xFFFF, 0xFFFF, 0xFF08, 0xFF00, 0xFF00, 0xFF00, 0xFF30};
        for (int w = 0; w < 8; ++w) {
            uint16_t v;
            std::memcpy(&v, e + 2 * w, 2);
            v = static_cast<uint16_t>(v | ignored[w]);
            std::memcpy(e + 2 * w, &v, 2);
        }
    }
    scene.draw();
    EXPECT_TRUE(framesEqual("ignored-bits", clean));
}

TEST(SpriteList, FullListOf480VisibleChainedSprites) {
    Scene scene;
    // Sprite n: tile n, every pixel value 1 + n % 15, bank n / 15 % 16; laid
    // out 30 a row, 8 pixels apart across and 13 down, chained relatively,
    // so each later sprite covers part of earlier ones and each keeps an
    // 8 x 13 corner of its own.
    for (int n = 0; n < 480; ++n) {
        scene.fillTile(static_cast<unsigned>(n), static_cast<uint8_t>(1 + n % 15));
        Entry e{.attributes = static_cast<unsigned>(n / 15 % 16) << 4, .tileLow = static_cast<unsigned>(n % 256),
                .tileHigh = static_cast<unsigned>(n / 256)};
        if (n == 0) {
            e.x = 0;
            e.y = 16;
        } else if (n % 30 == 0) {
            e.attributes |= kRelative | kSignX;  // back 232 columns, down 13 lines
            e.x = 256 - 232;
            e.y = 13;
        } else {
            e.attributes |= kRelative;
            e.x = 8;
        }
        scene.setEntry(n, e);
    }
    scene.draw();

    for (int n = 0; n < 480; ++n) {
        const unsigned expected = (n / 15 % 16) * 16 + 1 + n % 15;
        ASSERT_EQ(pixel(8 * (n % 30) + 7, 13 * (n / 30) + 12), colour(expected)) << "sprite " << n;
    }
    EXPECT_TRUE(framesEqual("480-sprites",
                            referenceFrame(scene.spriteBytes(), scene.tileBytes(), dynamicPalette, kBackground)));
}

TEST(SpriteList, RandomScenesMatchTheReferencePainter) {
    Scene scene;
    for (unsigned seed = 1; seed <= 12; ++seed) {
        Random random(seed);
        for (size_t i = 0; i < kTilesBytes; ++i) {
            const unsigned v = random() % 24;
            scene.tileBytes()[i] = static_cast<uint8_t>(v < 9 ? 0 : v - 8);  // one in three transparent
        }
        for (int n = 0; n < 256; ++n) dynamicPalette[n] = static_cast<uint16_t>(random() & 0x7FFF);
        for (int n = 0; n < 480; ++n) {
            // Mostly positive offsets, so chains stay near the screen; signs,
            // relative chaining, flips and banks all occur.
            unsigned attributes = random() & 0xF4;
            if (random() % 6 == 0) attributes |= kSignX;
            if (random() % 6 == 0) attributes |= kSignY;
            scene.setEntry(n, {.attributes = attributes,
                               .x = random() % 256,
                               .y = random() % 256,
                               .tileLow = random() % 256,
                               .tileHigh = random() % 256});
        }
        scene.draw();
        ASSERT_GT(countDrawn(), 2000) << "seed " << seed;
        ASSERT_TRUE(framesEqual("random-" + std::to_string(seed),
                                referenceFrame(scene.spriteBytes(), scene.tileBytes(), dynamicPalette, kBackground)))
            << "seed " << seed;
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
    EXPECT_TRUE(framesEqual("edges", referenceFrame(scene.spriteBytes(), scene.tileBytes(), dynamicPalette, kBackground)));
    EXPECT_GT(countDrawn(), 0);
}

TEST(SpriteDrawing, AnyPositionIsClippedAndOnlyTheFrameIsWritten) {
    Scene scene;
    scene.fillTile(1, 1);
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
}

TEST(SpriteDrawing, OutOfRangeTileAndColourStayInsideTheirTables) {
    Scene scene;
    scene.fillTile(0xFFF, 2);
    fastClear(render_offscreen, uint32_t{kBackground} << 16 | kBackground);
    displaySprite16x16(0x1FFF, 0, 0, 0, 0, 0);  // tile number keeps 12 bits
    EXPECT_EQ(pixel(0, 0), colour(2));
    displaySprite16x16(0xFFF, 0x1F0, 0, 0, 16, 0);  // palette index keeps 8 bits
    EXPECT_EQ(pixel(16, 0), colour(0xF2));
    displaySprite16x16(0xFFF, 0xFF, 0, 0, 32, 0);  // 0xFF + 2 wraps to entry 1
    EXPECT_EQ(pixel(32, 0), colour(0x01));
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
