#include "sprite_table.h"

namespace workbench {

namespace {
constexpr int kPictureWidth = 256, kPictureHeight = 224, kSize = 16;

int signedOffset(unsigned word, bool negative) {
    const int low = static_cast<int>(word & 0xFF);
    return negative ? low - 256 : low;
}
}  // namespace

std::vector<SpriteRow> decodeSpriteList(const uint16_t* words) {
    std::vector<SpriteRow> rows;
    rows.reserve(kSpriteEntries);
    int x = 0, y = 0;  // the running position, as the board carries it
    for (int n = 0; n < kSpriteEntries; ++n) {
        const uint16_t* entry = words + n * kSpriteEntryWords;
        const unsigned attributes = entry[3];
        const int dx = signedOffset(entry[4], attributes & 0x01);
        const int dy = signedOffset(entry[5], attributes & 0x02);
        SpriteRow row;
        row.index = n;
        row.chained = attributes & 0x04;
        if (row.chained) {
            x += dx;
            y += dy;
        } else {
            x = dx;
            y = dy;
        }
        if (x > 511) x &= 0x1FF;
        if (y > 511) y &= 0x1FF;
        row.left = x;
        row.top = y - kSize;
        row.tile = (entry[7] & 0x0F) << 8 | (entry[6] & 0xFF);
        row.bank = (attributes >> 4) & 0x0F;
        row.flipX = entry[7] & 0x80;
        row.flipY = entry[7] & 0x40;
        row.drawn = x > -kSize && x < kPictureWidth && y > 0 && y < kPictureHeight + kSize;
        row.clipped = row.drawn && (row.left < 0 || row.top < 0 || row.left + kSize > kPictureWidth ||
                                    row.top + kSize > kPictureHeight);
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
