// The content a libretro frontend hands the core, turned into the board's six
// ROM files: a directory holding them, any one of them (its directory is
// used), or a .zip archive of them.
#pragma once

#include <array>
#include <memory>
#include <string>

// The six files in the board's order of loading.
constexpr std::array<const char*, 6> kRomSetNames = {"PELLMORA.2A", "PELLMORA.3A", "CH0", "CH1", "CH2", "CH3"};

struct RomSetFiles {
    // The first 131072 bytes of each file, in the order of kRomSetNames.
    std::array<std::unique_ptr<unsigned char[]>, 6> data;
    // The directory the set came from (for a .zip, the archive's directory).
    std::string directory;
};

// Reads the set at `path`. On success fills `files`; on refusal `error` holds
// one line saying what is wrong (no newline) and `files` is left as it was.
// Loose files follow the board's rule (regular files of at least 131072
// bytes, only those bytes read); an archive's entries must be exactly 131072
// bytes, which is checked before anything is allocated for them.
bool load_rom_set(const std::string& path, RomSetFiles& files, std::string& error);

// A file's data, or null for a name that is not one of the six.
const unsigned char* rom_set_file(const RomSetFiles& files, const std::string& name);
