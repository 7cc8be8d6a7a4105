#include "rom_set_link.h"

#include <cstdio>
#include <memory>

#include "paths.h"
#include "rom_set_content.h"
#include "rom_set_location.h"

namespace {

// A set given on the command line, read before the window starts the board;
// or why it could not be read.
RomSetFiles givenSet;
std::string givenSetFailure;

std::unique_ptr<unsigned char[]> readFromGivenSet(const char* name, std::string& reason) {
    if (!givenSetFailure.empty()) {
        reason = givenSetFailure;
        return nullptr;
    }
    return copy_rom_set_file(givenSet, name, reason);
}

}  // namespace

void useRomSet(const char* program, const std::string& given) {
    romSetPlace = locateRomSet(given, program, realProgramPath());
    if (romSetPlace.programPathTooLong)
        std::printf("The program's path is %zu characters or more: looking for Roms/ in the current directory.\n",
                    kPathSize);
    if (romSetPlace.given) {
        if (load_rom_set(given, givenSet, givenSetFailure)) givenSetFailure.clear();
        pm_setRomSource(readFromGivenSet);
    }
    copyPath(execPath, romSetPlace.prefix.c_str());
}
