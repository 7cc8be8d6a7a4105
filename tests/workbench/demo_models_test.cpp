// The sprite table, tile decoding and palette words against the board's own
// drawing and conversion: a picture painted from the models alone must equal
// the board's picture, on hand-made sprite lists.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "board_session.h"
#include "colours.h"
#include "sprite_table.h"

namespace {

using namespace workbench;

constexpr uint16_t kNothing = 0x8001;  // no drawing colour has bit 15 and bit 0 alone

struct Board {
    BoardState state;
    std::span<unsigned char> graphics;
};

Board current() {
    Board b{};
    e2e::board().capture(b.state);
    b.graphics = e2e::board().memory(Memory::Graphics);
    return b;
}

Board startDemo(int frames) {
    EXPECT_TRUE(e2e::startBoard(DEMO_ROM_BASE));
    e2e::powerOn(false);
    for (int i = 0; i < frames; ++i) e2e::runFrame();
    return current();
}

// The picture as the models see it: the background, then each drawn row's
// decoded tile, flipped, in list order.
std::vector<uint16_t> paint(const Board& b, const std::vector<SpriteRow>& rows) {
    std::vector<uint16_t> picture(kScreenWidth * kScreenHeight, b.state.drawingPalette[0]);
    uint16_t tile[kTilePixels];
    for (const SpriteRow& row : rows) {
        if (!row.drawn) continue;
        decodeTile(b.graphics, row.tile, b.state.drawingPalette, row.bank, kNothing, tile);
        for (int r = 0; r < 16; ++r)
            for (int c = 0; c < 16; ++c) {
                const int x = row.left + c, y = row.top + r;
                const uint16_t p = tile[(row.flipY ? 15 - r : r) * 16 + (row.flipX ? 15 - c : c)];
                if (p != kNothing && x >= 0 && x < kScreenWidth && y >= 0 && y < kScreenHeight)
                    picture[y * kScreenWidth + x] = p;
            }
    }
    return picture;
}

void expectSamePicture(const Board& b, const std::vector<SpriteRow>& rows) {
    const auto painted = paint(b, rows);
    const uint16_t* drawn = e2e::board().picture();
    int differing = 0;
    for (size_t i = 0; i < painted.size(); ++i) differing += painted[i] != drawn[i];
    EXPECT_EQ(differing, 0) << "pixels where the table's picture differs from the board's";
}

struct Entry {
    unsigned attributes, x, y, tile;  // tile: word +14 in the high byte, word +12 in the low
};
struct ListCase {
    const char* name;
    std::vector<Entry> entries;
    int checked;  // the entry whose row is checked
    int left, top;
    bool drawn, clipped;
};

TEST(WorkbenchModels, HandMadeListsPaintedFromTheTableEqualTheBoards) {
    const ListCase cases[] = {
        {"absolute inside", {{0x30, 0x10, 0x20, 0x0005}}, 0, 16, 16, true, false},
        {"negative X, cut", {{0x01, 0xF8, 0x40, 0x8006}}, 0, -8, 48, true, true},
        {"right edge", {{0x20, 0xFA, 0x40, 0x4007}}, 0, 250, 48, true, true},
        {"Y of 0 is hidden", {{0x00, 0x40, 0x00, 0x0005}}, 0, 64, -16, false, false},
        {"bottom edge", {{0x00, 0x40, 0xEC, 0xC008}}, 0, 64, 220, true, true},
        {"chained", {{0x10, 0x20, 0x30, 0x0005}, {0x17, 0xF0, 0xF8, 0x0106}}, 1, 16, 24, true, false},
        {"wraps past 511", {{0x00, 0xFF, 0x80, 0x0005}, {0x04, 0xFF, 0x00, 0x0005}, {0x04, 0x10, 0x00, 0x0005}},
         2, 14, 112, true, false},
    };
    startDemo(60);
    for (const ListCase& c : cases) {
        SCOPED_TRACE(c.name);
        auto ram = e2e::board().memory(Memory::SpriteRam);
        std::vector<uint16_t> words(kSpriteEntries * kSpriteEntryWords, 0);  // every other entry hidden
        for (size_t n = 0; n < c.entries.size(); ++n) {
            const Entry& e = c.entries[n];
            uint16_t* w = &words[n * kSpriteEntryWords];
            w[3] = e.attributes, w[4] = e.x, w[5] = e.y, w[6] = e.tile & 0xFF, w[7] = e.tile >> 8;
        }
        std::memcpy(ram.data(), words.data(), ram.size());
        e2e::board().drawPicture();
        const Board b = current();
        const auto rows = decodeSpriteList(b.state.spriteRam);
        const SpriteRow& row = rows[c.checked];
        EXPECT_EQ(row.left, c.left);
        EXPECT_EQ(row.top, c.top);
        EXPECT_EQ(row.drawn, c.drawn);
        EXPECT_EQ(row.clipped, c.clipped);
        expectSamePicture(b, rows);
        const auto under = spritesAt(rows, std::max(row.left, 0), std::max(row.top, 0));
        EXPECT_EQ(std::find(under.begin(), under.end(), c.checked) != under.end(), c.drawn);
    }
}

TEST(WorkbenchModels, PaletteWordsConvertAsTheBoardConvertsThem) {
    const Board b = startDemo(60);
    int written = 0;
    for (int n = 0; n < kPaletteEntries; ++n) {
        if (b.state.drawingPalette[n] == 0xFFFF) continue;  // not written since the reset
        ++written;
        EXPECT_EQ(pixelOf(paletteWord(b.state.paletteRam, n)), b.state.drawingPalette[n]) << colourName(n, 0);
    }
    EXPECT_GT(written, 16) << "the demo writes its palette";
}

}  // namespace
