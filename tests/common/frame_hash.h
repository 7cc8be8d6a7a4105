// The frame hash the reviewed golden frames are recorded with: 64-bit FNV-1a
// over the 16-bit pixel values, low byte of each pixel first.
#pragma once

#include <cstddef>
#include <cstdint>

inline uint64_t frame_hash(const uint16_t* pixels, size_t count) {
    uint64_t hash = 0xCBF29CE484222325ull;
    for (size_t i = 0; i < count; ++i)
        for (int shift = 0; shift < 16; shift += 8) {
            hash ^= static_cast<uint8_t>(pixels[i] >> shift);
            hash *= 0x100000001B3ull;
        }
    return hash;
}
