// The sprite list and sprite drawing: positions, chaining, wrap, visibility,
// clipping, tile layout, flips, transparency, colour banks, list order, and
// whole scenes compared with a literal reference painter.
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

// A tile whose row r (0-15) reads `row` in every line.
std::array<const char*, 16> sameRows(const char* row) {
    std::array<const char*, 16> rows;
    rows.fill(row);
    return rows;
}

// A tile whose rows 0-14 read 1 to F; row 15 reads 1 again (only 15 values).
const std::array<const char*, 16> kRowCoded = {
    "1111111111111111", "2222222222222222", "3333333333333333", "4444444444444444",
    "5555555555555555", "6666666666666666", "7777777777777777", "8888888888888888",
    "9999999999999999", "AAAAAAAAAAAAAAAA", "BBBBBBBBBBBBBBBB", "CCCCCCCCCCCCCCCC",
    "DDDDDDDDDDDDDDDD", "EEEEEEEEEEEEEEEE", "FFFFFFFFFFFFFFFF", "1111111111111111"};

TEST(SpriteList, EntryOfAllZerosIsAtLineZeroAndNotDrawn) {
    Scene scene;
    scene.fillTile(0, 1);  // every entry names tile 0, fully opaque
    scene.draw();
    EXPECT_EQ(countDrawn(), 0);
}

TEST(SpriteList, AbsoluteEntryPutsTheTopLeftCornerAtXAndYMinus16) {
    Scene scene;
    scene.fillTile(1, 7);
    scene.setEntry(0, {.x = 0x10, .y = 0x20, .tileLow = 1});
    scene.draw();
    EXPECT_EQ(region(14, 14, 4, 4), "....\n....\n..77\n..77\n");
    EXPECT_EQ(region(30, 30, 4, 4), "77..\n77..\n....\n....\n");
    EXPECT_EQ(countDrawn(), 256);
}

TEST(SpriteList, NineBitNegativeXShowsOnlyTheRightHandColumns) {
    Scene scene;
    scene.drawTile(2, sameRows("89ABCDEF12345678"));
    scene.setEntry(0, {.attributes = kSignX, .x = 0xF8, .y = 0x20, .tileLow = 2});  // dx = -8
    scene.draw();
    EXPECT_EQ(region(0, 16, 10, 1), "12345678..\n");
    EXPECT_EQ(countDrawn(), 8 * 16);
}

TEST(SpriteList, RelativeEntriesAddToThePreviousPositionAndWrapAbove511) {
    Scene scene;
    for (unsigned t = 1; t <= 3; ++t) scene.fillTile(t, static_cast<uint8_t>(t));
    scene.setEntry(0, {.x = 250, .y = 0x40, .tileLow = 1});
    scene.setEntry(1, {.attributes = kRelative, .x = 250, .tileLow = 2});  // X = 500: off screen
    scene.setEntry(2, {.attributes = kRelative, .x = 20, .tileLow = 3});   // X = 520: wraps to 8
    scene.draw();
    EXPECT_EQ(region(6, 0x30, 20, 1), "..3333333333333333..\n");
    EXPECT_EQ(region(248, 0x30, 8, 1), "..111111\n");
    EXPECT_EQ(countDrawn(), 16 * 16 + 6 * 16) << "the entry at X = 500 draws nothing";
}

TEST(SpriteList, WrapKeepsNineBitsAndNegativePositionsDoNotWrap) {
    Scene scene;
    for (unsigned t = 1; t <= 6; ++t) scene.fillTile(t, static_cast<uint8_t>(t));
    scene.setEntry(0, {.x = 200, .y = 0x40, .tileLow = 1});
    scene.setEntry(1, {.attributes = kRelative, .x = 100, .tileLow = 2});  // X = 300: not 44
    scene.setEntry(2, {.attributes = kRelative, .x = 212, .tileLow = 3});  // X = 512: wraps to 0
    // Y: 240 (not visible), 480, then 520 which wraps to 8: the bottom 8 rows.
    scene.setEntry(3, {.x = 0x80, .y = 0xF0, .tileLow = 4});
    scene.setEntry(4, {.attributes = kRelative, .y = 0xF0, .tileLow = 4});
    scene.setEntry(5, {.attributes = kRelative, .y = 0x28, .tileLow = 5});
    // X: 16 - 64 - 64 = -112 stays negative (no wrap), then + 100 = -12.
    scene.setEntry(6, {.x = 0x10, .y = 0, .tileLow = 4});
    scene.setEntry(7, {.attributes = kRelative | kSignX, .x = 0xC0, .tileLow = 4});
    scene.setEntry(8, {.attributes = kRelative | kSignX, .x = 0xC0, .tileLow = 4});
    scene.setEntry(9, {.attributes = kRelative, .x = 100, .y = 0xA0, .tileLow = 6});
    scene.draw();

    EXPECT_EQ(region(0, 0x30, 17, 1), "3333333333333333.\n");
    EXPECT_EQ(region(198, 0x30, 20, 1), "..1111111111111111..\n");
    EXPECT_EQ(region(0x80, 0, 1, 9), "5\n5\n5\n5\n5\n5\n5\n5\n.\n");
    EXPECT_EQ(region(0, 0x90, 5, 1), "6666.\n");
    EXPECT_EQ(countDrawn(), 2 * 256 + 8 * 16 + 4 * 16) << "no tile 2 at 44, no tile 4 anywhere";
}

TEST(SpriteList, RelativeEntryAfterAnInvisibleOneStillAddsToItsPosition) {
    Scene scene;
    scene.fillTile(1, 1);
    scene.fillTile(2, 2);
    scene.setEntry(0, {.x = 0x10, .y = 0x00, .tileLow = 1});                        // Y = 0: not drawn
    scene.setEntry(1, {.attributes = kRelative, .x = 0x10, .y = 0x20, .tileLow = 2});  // (0x20, 0x20)
    scene.draw();
    EXPECT_EQ(region(31, 15, 3, 2), "...\n.22\n");
    EXPECT_EQ(pixel(47, 31), colour(2));
    EXPECT_EQ(countDrawn(), 256);
}

TEST(SpriteList, SpritesAreCutAtEveryFrameEdge) {
    Scene scene;
    scene.drawTile(4, sameRows("123456789ABCDEF1"));
    scene.drawTile(5, kRowCoded);
    scene.setEntry(0, {.x = 250, .y = 0x40, .tileLow = 4});                    // right edge: 6 columns
    scene.setEntry(1, {.x = 0x40, .y = 236, .tileLow = 5});                    // bottom edge: 4 rows
    scene.setEntry(2, {.attributes = kSignX, .x = 0xF1, .y = 0x80, .tileLow = 4});  // X = -15
    scene.setEntry(3, {.x = 0xA0, .y = 1, .tileLow = 5});                      // Y - 16 = -15
    scene.draw();
    EXPECT_EQ(region(248, 0x30, 8, 1), "..123456\n");
    EXPECT_EQ(region(0x40, 218, 1, 6), ".\n.\n1\n2\n3\n4\n");
    EXPECT_EQ(region(0, 0x70, 2, 1), "1.\n") << "only column 15 shows";
    EXPECT_EQ(region(0xA0, 0, 1, 2), "1\n.\n") << "only row 15 shows";
    EXPECT_EQ(countDrawn(), 6 * 16 + 4 * 16 + 16 + 16);
}

TEST(SpriteDrawing, TileQuartersAreTopLeftTopRightBottomLeftBottomRight) {
    Scene scene;
    for (unsigned quarter = 0; quarter < 4; ++quarter)
        for (unsigned i = 0; i < 64; ++i) scene.setTileByte(7, quarter * 64 + i, static_cast<uint8_t>(quarter + 1));
    scene.setTileByte(7, 8 * 3 + 5, 9);  // quarter 0, row 3, column 5
    scene.setEntry(0, {.x = 0x10, .y = 0x20, .tileLow = 7});
    scene.draw();
    EXPECT_EQ(pixel(16 + 0, 16 + 0), colour(1));
    EXPECT_EQ(pixel(16 + 8, 16 + 0), colour(2));
    EXPECT_EQ(pixel(16 + 0, 16 + 8), colour(3));
    EXPECT_EQ(pixel(16 + 15, 16 + 15), colour(4));
    EXPECT_EQ(pixel(16 + 5, 16 + 3), colour(9));
}

// Sprite pixels (0,0) (0,1) (0,14) (0,15) / (15,0) (15,15) of a sprite drawn
// at frame position (x, y).
std::string corners(int x, int y) {
    auto at = [](int px, int py) { return region(px, py, 1, 1).substr(0, 1); };
    return at(x, y) + at(x + 1, y) + at(x + 14, y) + at(x + 15, y) + "/" + at(x, y + 15) + at(x + 15, y + 15);
}

TEST(SpriteDrawing, FlipsMirrorTheWholeSpriteSinglyAndTogether) {
    Scene scene;
    scene.setTileByte(8, 0, 1);            // quarter 0, row 0, column 0: sprite (0, 0)
    scene.setTileByte(8, 1, 5);            // sprite (0, 1)
    scene.setTileByte(8, 64 + 7, 2);       // quarter 1, row 0, column 7: sprite (0, 15)
    scene.setTileByte(8, 128 + 56, 3);     // quarter 2, row 7, column 0: sprite (15, 0)
    scene.setTileByte(8, 192 + 63, 4);     // quarter 3, row 7, column 7: sprite (15, 15)
    scene.setEntry(0, {.x = 16, .y = 0x20, .tileLow = 8});
    scene.setEntry(1, {.x = 48, .y = 0x20, .tileLow = 8, .tileHigh = kFlipX});
    scene.setEntry(2, {.x = 80, .y = 0x20, .tileLow = 8, .tileHigh = kFlipY});
    scene.setEntry(3, {.x = 112, .y = 0x20, .tileLow = 8, .tileHigh = kFlipX | kFlipY});
    scene.draw();
    EXPECT_EQ(corners(16, 16), "15.2/34");
    EXPECT_EQ(corners(48, 16), "2.51/43") << "horizontal flip";
    EXPECT_EQ(corners(80, 16), "3..4/12") << "vertical flip";
    EXPECT_EQ(corners(112, 16), "4..3/21") << "both flips";
    EXPECT_EQ(region(112 + 14, 16 + 15, 2, 1), "51\n");
    EXPECT_EQ(countDrawn(), 4 * 5);
}

TEST(SpriteDrawing, ValueZeroIsTransparentAndBanksSelectSixteenColours) {
    Scene scene;
    scene.fillTile(1, 1);
    scene.drawTile(6, sameRows("5.5.5.5.5.5.5.5."));
    scene.fillTile(9, 15);
    dynamicPalette[0x30] = 0x1234;  // entry 0 of bank 3: never used
    dynamicPalette[0x00] = 0x4321;
    scene.setEntry(0, {.x = 0x10, .y = 0x20, .tileLow = 1});                      // under the next one
    scene.setEntry(1, {.attributes = 0x30, .x = 0x10, .y = 0x20, .tileLow = 6});  // bank 3
    scene.setEntry(2, {.attributes = 0x30, .x = 0x40, .y = 0x20, .tileLow = 6});  // over background
    scene.setEntry(3, {.attributes = 0xF0, .x = 0x80, .y = 0x20, .tileLow = 9});  // bank 15, value 15
    scene.draw();
    EXPECT_EQ(pixel(16, 16), colour(53)) << "value 5 in bank 3";
    EXPECT_EQ(pixel(17, 16), colour(1)) << "value 0 shows the sprite below";
    EXPECT_EQ(pixel(0x40, 16), colour(53));
    EXPECT_EQ(pixel(0x41, 16), kBackground) << "value 0 shows the background";
    EXPECT_EQ(pixel(0x80, 16), colour(255));
    EXPECT_EQ(countDrawn(), 256 + 128 + 256);
}

TEST(SpriteDrawing, TileNumberTakesTwelveBitsAndFFFIsTheLastTile) {
    Scene scene;
    scene.fillTile(0x0FF, 1);
    scene.fillTile(0xF00, 2);
    scene.fillTile(0xFFF, 9);
    // High bytes of both words and bits 4-5 of word +14 are not part of the number.
    scene.setEntry(0, {.x = 0x10, .y = 0x20, .tileLow = 0xABFF, .tileHigh = 0xFF3F & ~(kFlipX | kFlipY)});
    scene.draw();
    EXPECT_EQ(pixel(16, 16), colour(9));
    EXPECT_EQ(countDrawn(), 256);
}

TEST(SpriteList, LaterEntriesCoverEarlierOnes) {
    Scene scene;
    scene.fillTile(1, 1);
    scene.fillTile(2, 2);
    scene.setEntry(0, {.x = 0x10, .y = 0x20, .tileLow = 1});
    scene.setEntry(1, {.x = 0x18, .y = 0x28, .tileLow = 2});
    scene.draw();
    EXPECT_EQ(region(22, 22, 4, 4), "1111\n1111\n1122\n1122\n");
    EXPECT_EQ(countDrawn(), 2 * 256 - 64);
}

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
