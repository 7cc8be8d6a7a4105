#include "rom_set_link.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "paths.h"
#include "rom_files.h"
#include "rom_set_location.h"

namespace {

// A ROM set given as a directory: the board's "./Roms/NAME" is NAME there.
std::unique_ptr<unsigned char[]> readFromGivenDirectory(const char* name) {
    const char* leaf = std::strrchr(name, '/');
    return read_rom_file(romSetPlace.prefix + (leaf ? leaf + 1 : name));
}

}  // namespace

void useRomSet(const char* program, const std::string& givenDirectory) {
    romSetPlace = locateRomSet(givenDirectory, program, realProgramPath());
    if (romSetPlace.programPathTooLong)
        std::printf("The program's path is %zu characters or more: looking for Roms/ in the current directory.\n",
                    kPathSize);
    copyPath(execPath, romSetPlace.prefix.c_str());
    if (romSetPlace.givenDirectory) pm_setRomSource(readFromGivenDirectory);
}
