// Images written byte by byte in the tests, as the board's containers lay
// them out: little-endian fields and raw text.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

inline void put(Bytes& out, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}
inline void put(Bytes& out, const std::string& text) { out.insert(out.end(), text.begin(), text.end()); }
