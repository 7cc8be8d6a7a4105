// The ROM set this run plays: where it was looked for and, when the command
// line gave one, the set read into memory.
#pragma once

#include <string>

#include "machine.h"
#include "rom_set_content.h"
#include "rom_set_location.h"

struct RomSetChoice {
    RomSetPlace place;
    RomSetFiles files;       // the set given on the command line, read
    std::string unreadable;  // why the given set could not be read; "" when it could

    // What the board's start-up reads: the given set, or Roms/ under the
    // directory it is handed.
    RomSetSource source() const { return place.given ? RomSetSource{&files, unreadable} : RomSetSource{}; }
};

// Finds the ROM set for this run (see locateRomSet), puts the directory the
// board's start-up is handed into execPath and, when the program's directory
// cannot be used, says so. A set given on the command line (`given`: its
// directory, one of its files or a .zip of them) is read here.
RomSetChoice chooseRomSet(const char* program, const std::string& given);
