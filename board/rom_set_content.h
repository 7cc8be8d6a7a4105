// A ROM set in any of the three forms a user may give it, turned into the
// board's six ROM files in memory: a directory holding them, any one of them
// (its directory is used), or a .zip archive of them. The desktop program
// and the libretro core both read sets through this.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "rom_files.h"

struct RomSetFiles {
    // The first kRomFileSize bytes of each file, in the order of kRomSetNames.
    std::array<std::unique_ptr<unsigned char[]>, 6> data;
    // The directory the set came from (for a .zip, the archive's directory).
    std::string directory;
};

// Reads the set at `path`. On success fills `files`; on refusal `error` holds
// one line saying what is wrong, naming the file by shown_path (no newline),
// and `files` is left as it was. Loose files follow the board's rule
// (read_rom_file); an archive's entries must be exactly kRomFileSize bytes, which
// is checked before anything is allocated for them.
bool load_rom_set(const std::string& path, RomSetFiles& files, std::string& error);

// The position of a file's name in kRomSetNames, or -1 for another name.
int rom_set_index(const std::string& name);

// A file's data, or null for a name that is not one of the six.
const unsigned char* rom_set_file(const RomSetFiles& files, const std::string& name);

// A copy of the file that start-up asks for by its relative name
// ("./Roms/CH0"), for a host's RomSource; null with `reason` when there is
// none.
std::unique_ptr<unsigned char[]> copy_rom_set_file(const RomSetFiles& files, const char* name, std::string& reason);
