// ROM files: the six names of a set, the rule a loose file must follow and
// the one-line reason when it does not. Only the kRomFileSize bytes a ROM file
// contributes are ever read or allocated, whatever the file's size. Nothing
// here needs the board, so the desktop shell checks sets with it too.
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <string>

constexpr size_t kRomFileSize = 131072;

// The six files in the board's order of loading.
constexpr std::array<const char*, 6> kRomSetNames = {"PELLMORA.2A", "PELLMORA.3A", "CH0", "CH1", "CH2", "CH3"};

// `path` as messages show it: its directory made absolute with every link
// and "." or ".." resolved where it exists, then the file's own name.
std::string shown_path(const std::string& path);

// The first kRomFileSize bytes of the file at `path`; null when it is
// missing, is not a regular file (a directory, FIFO or device never blocks
// here), is shorter than kRomFileSize or cannot be read, and then `reason`
// says which, naming the file by shown_path: "... is missing", "... is not a
// regular file", "... is 1000 bytes where 131072 are needed", "... cannot be
// read (...)".
std::unique_ptr<unsigned char[]> read_rom_file(const std::string& path, std::string& reason);

// The same checks without reading: true when the file at `path` would load.
bool rom_file_usable(const std::string& path, std::string& reason);

// Where start-up takes a ROM file by its relative name ("./Roms/CH0"): the
// first kRomFileSize bytes, or null with `reason` set when the file counts as
// missing. A host that holds the set in memory installs its own; without one
// (the start) the files are read under _execPath.
using RomSource = std::unique_ptr<unsigned char[]> (*)(const char* name, std::string& reason);
void pm_setRomSource(RomSource source);

// Why the last start-up loaded no ROM set (one line, no newline); empty when
// it loaded one or none was tried.
const std::string& rom_set_failure();
void set_rom_set_failure(const std::string& reason);
