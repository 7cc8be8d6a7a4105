// Reading ROM files: only the 131072 bytes a ROM file contributes are ever
// read or allocated, whatever the file's size.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

constexpr size_t kRomFileSize = 131072;

// The first kRomFileSize bytes of the file at `path`; null when it cannot be
// opened, is not a regular file (a directory, FIFO or device never blocks
// here) or is shorter than kRomFileSize.
std::unique_ptr<unsigned char[]> read_rom_file(const std::string& path);

// Where start-up takes a ROM file by its relative name ("./Roms/CH0"): the
// first kRomFileSize bytes, or null when the file counts as missing. A host
// that already holds the set in memory installs its own; without one
// (the start) the files are read under _execPath.
using RomSource = std::unique_ptr<unsigned char[]> (*)(const char* name);
void pm_setRomSource(RomSource source);
