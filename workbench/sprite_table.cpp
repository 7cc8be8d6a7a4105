#include "sprite_table.h"

#include "machine.h"

namespace workbench {

namespace {
constexpr int kSize = sprite_entry::kSize;
}  // namespace

std::vector<SpriteRow> decodeSpriteList(const uint16_t* words) {
    using namespace sprite_entry;
    std::vector<SpriteRow> rows;
    rows.reserve(kSpriteEntries);
    int x = 0, y = 0;  // the running position, as the board carries it
    for (int n = 0; n < kSpriteEntries; ++n) {
        const uint16_t* entry = words + n * kSpriteEntryWords;
        const unsigned attributes = entry[kAttributes];
        advance(attributes, entry[kOffsetX], entry[kOffsetY], x, y);
        SpriteRow row;
        row.index = n;
        row.chained = attributes & 0x04;
        row.left = x;
        row.top = y - kSize;
        row.tile = sprite_entry::tile(entry[kTileLow], entry[kTileHigh]);
        row.bank = (attributes >> 4) & 0x0F;
        row.flipX = entry[kTileHigh] & 0x80;
        row.flipY = entry[kTileHigh] & 0x40;
        row.drawn = onPicture(x, y);
        row.clipped = row.drawn && (row.left < 0 || row.top < 0 || row.left + kSize > kScreenWidth ||
                                    row.top + kSize > kScreenHeight);
        rows.push_back(row);
    }
    return rows;
}

std::vector<int> spritesAt(const std::vector<SpriteRow>& rows, int x, int y) {
    std::vector<int> found;
    for (const SpriteRow& row : rows)
        if (row.drawn && x >= row.left && x < row.left + kSize && y >= row.top && y < row.top + kSize)
            found.push_back(row.index);
    return found;
}

}  // namespace workbench
