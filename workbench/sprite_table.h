// The sprite list as a table: each of the 480 entries of sprite RAM decoded
// the way the board draws them (position carried from entry to entry, tile,
// colour bank, flips), with whether any of it reaches the picture.
#pragma once

#include <cstdint>
#include <vector>

#include "sprite_entry.h"

namespace workbench {

constexpr int kSpriteEntries = sprite_entry::kCount;
constexpr int kSpriteEntryWords = sprite_entry::kWords;

struct SpriteRow {
    int index = 0;            // place in the list: the drawing order
    int left = 0, top = 0;    // the sprite's top-left pixel on the picture
    unsigned tile = 0;        // 0-4095
    unsigned bank = 0;        // 0-15: drawing colours 16 * bank + 1 ..
    bool flipX = false, flipY = false;
    bool chained = false;     // placed relative to the entry before it
    bool drawn = false;       // some of it is on the picture
    bool clipped = false;     // drawn, but cut at an edge of the picture
};

// `words`: sprite RAM as 68000 words (kSpriteEntries * kSpriteEntryWords).
std::vector<SpriteRow> decodeSpriteList(const uint16_t* words);

// The drawn sprites whose 16 x 16 square holds picture pixel (x, y), in
// drawing order (the last is the one on top).
std::vector<int> spritesAt(const std::vector<SpriteRow>& rows, int x, int y);

}  // namespace workbench
