#include "rom_set_link.h"

#include <cstdio>

#include "paths.h"
#include "xdg_dirs.h"

RomSetChoice chooseRomSet(const char* program, const std::string& given) {
    RomSetChoice choice;
    choice.place = locateRomSet(given, program, realProgramPath(), xdgDataDirs());
    if (choice.place.programPathTooLong)
        std::printf("The program's path is %zu characters or more: looking for Roms/ in the current directory.\n",
                    kPathSize);
    if (choice.place.given && load_rom_set(given, choice.files, choice.unreadable)) choice.unreadable.clear();
    copyPath(execPath, choice.place.prefix.c_str());
    return choice;
}
