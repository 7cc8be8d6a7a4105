// ROM sets for the board's and the content loader's tests: the six files, and zip archives
// of them, well-formed or written byte by byte to lie. TempDir: a fresh
// directory under /tmp, removed afterwards.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "temp_dir.h"

namespace rom_set_test {

namespace fs = std::filesystem;
using RomFiles = std::vector<std::vector<uint8_t>>;

constexpr size_t kRomSize = 131072;
extern const char* const kSetNames[6];  // PELLMORA.2A, PELLMORA.3A, CH0-CH3

void writeFile(const fs::path& path, const std::vector<uint8_t>& bytes);
void writeSet(const fs::path& dir, const RomFiles& files);
// Distinct patterns: file k, byte i holds (i * 7 + k) & 0xFF.
RomFiles patternedSet();

struct ZipEntry {
    std::string name;
    std::vector<uint8_t> data;
    bool stored = false;  // else deflated
};
// Writes the entries with libzip; false when libzip fails.
bool writeZip(const fs::path& path, const std::vector<ZipEntry>& entries);
// The six files as entries, under `folder` (empty or ending in '/').
std::vector<ZipEntry> setEntries(const RomFiles& files, const std::string& folder = "");

// An entry written byte by byte: `claimedSize` in its headers for the
// uncompressed size, `data` stored (method 0) or deflated (8), `crc` its CRC-32.
struct HandMadeEntry {
    std::string name;
    uint32_t claimedSize;
    std::vector<uint8_t> data;
    uint16_t method;
    uint32_t crc;
};
// Stored entries that tell the truth, one for each file.
std::vector<HandMadeEntry> honestEntries(const RomFiles& files);
std::vector<uint8_t> handMadeZip(const std::vector<HandMadeEntry>& entries);

}  // namespace rom_set_test
