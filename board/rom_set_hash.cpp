// The identity of the loaded ROM set, for save states: CRC-32s of what the
// ROM files put in the board's memories, independent of the host's byte order.
#include <zlib.h>

#include <cstring>

#include "board.h"
#include "save_state.h"

namespace {

// The program ROM image holds 68000 words in host order; the CRC is taken
// over the bytes as the 68000 reads them, the even address first.
uint32_t programCrc() {
    uLong crc = crc32(0, nullptr, 0);
    unsigned char bytes[4096];
    for (size_t at = 0; at < kCodeRomSize; at += sizeof bytes) {
        for (size_t i = 0; i < sizeof bytes; i += 2) {
            uint16_t word;
            std::memcpy(&word, codeRom + at + i, sizeof word);
            bytes[i] = static_cast<unsigned char>(word >> 8);
            bytes[i + 1] = static_cast<unsigned char>(word);
        }
        crc = crc32(crc, bytes, sizeof bytes);
    }
    return static_cast<uint32_t>(crc);
}

uint32_t graphicsCrc() {
    return static_cast<uint32_t>(crc32(crc32(0, nullptr, 0), tilesRom, kTilesRomSize));
}

}  // namespace

uint64_t pm_romSetHash() {
    if (!codeRom || !tilesRom) return 0;
    return static_cast<uint64_t>(programCrc()) << 32 | graphicsCrc();
}
