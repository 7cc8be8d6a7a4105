// ROM set content for the core's tests: temporary directories, the six files
// of a set, and zip archives of them, well-formed or not.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "../tools/temp_dir.h"  // TempDir: a fresh directory under /tmp, removed afterwards

namespace libretro_test {

namespace fs = std::filesystem;

constexpr size_t kRomSize = 131072;
extern const char* const kSetNames[6];  // PELLMORA.2A, PELLMORA.3A, CH0-CH3

std::vector<uint8_t> readFile(const fs::path& path);
void writeFile(const fs::path& path, const std::vector<uint8_t>& bytes);

// A set whose files hold distinct patterns (file k, byte i: (i * 7 + k) & 0xFF).
std::vector<std::vector<uint8_t>> patternedSet();
void writeSet(const fs::path& dir, const std::vector<std::vector<uint8_t>>& files);

// A program that sets up its stack, then loops for ever at 0x400 without
// touching the palette, with empty graphics.
std::vector<std::vector<uint8_t>> idleProgramSet();
// A program that unmasks interrupts and loops; the handler of vectors 26 to
// 28 paints palette entry 0 (the background) blue, 0x001F. With `enable` it
// writes the interrupt enable port first; without, only an interrupt chain
// the board already had can reach the handler.
std::vector<std::vector<uint8_t>> interruptProbeSet(bool enable);

struct ZipEntry {
    std::string name;
    std::vector<uint8_t> data;
    bool stored = false;  // else deflated
};
// Writes the entries with libzip; false when libzip fails.
bool writeZip(const fs::path& path, const std::vector<ZipEntry>& entries);
// The six files of `files` as entries, under `folder` (empty or ending in '/').
std::vector<ZipEntry> setEntries(const std::vector<std::vector<uint8_t>>& files, const std::string& folder = "");

// An entry written byte by byte: `claimedSize` in its headers for the
// uncompressed size, `data` as the stored (method 0) or deflate (method 8)
// data, `crc` as its CRC-32.
struct HandMadeEntry {
    std::string name;
    uint32_t claimedSize;
    std::vector<uint8_t> data;
    uint16_t method;
    uint32_t crc;
};
// Stored entries that tell the truth, one for each file of `files`.
std::vector<HandMadeEntry> honestEntries(const std::vector<std::vector<uint8_t>>& files);
std::vector<uint8_t> handMadeZip(const std::vector<HandMadeEntry>& entries);

}  // namespace libretro_test
