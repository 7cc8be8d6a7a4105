// Where the ROM set is read from: the set given on the command line (its
// directory, one of its files or a .zip of them), or else Roms/ beside the
// program's real file, then Roms/ in the current directory.
#pragma once

#include <string>
#include <vector>

#include "rom_files.h"

struct RomSetPlace {
    // What the board start-up is handed: a directory with its final '/'.
    // Without `given` the board reads prefix + "./Roms/" + file.
    std::string prefix;
    // The ROM set was given: the host reads it (rom_set_content.h) and hands
    // start-up its files; prefix is its directory, for the banner.
    bool given = false;
    // Every place looked in for the set, absolute with links resolved, in the
    // order looked in, each directory with its final '/' (a given file or
    // archive as it is); the first is the one used when none holds a whole
    // set.
    std::vector<std::string> searched;
    // The program's directory could not be handed to the board (1024
    // characters or more): only the current directory was looked in.
    bool programPathTooLong = false;
};

// Why `directory` (with or without a final '/') holds no whole ROM set: the
// first of its six files that is missing, not a regular file or shorter than
// kRomFileSize bytes, and why (read_rom_file's reason); empty when it holds one.
std::string romSetDirectoryProblem(const std::string& directory);

// Where to read the ROM set: from `given` when it is not empty;
// else from Roms/ in the directory of `realProgram` (the program file with
// every link resolved; "" when unknown, then argv[0]'s directory is used),
// or, when that holds no whole set, from the first of these that holds
// one: Roms/ in the current directory, bevorel/Roms/ in each of
// `dataDirs` (the XDG data directories, for an installed program), and
// ../share/bevorel/Roms/ from the program's directory (an unpacked one). The program's directory keeps the spelling of argv[0]
// (`invokedAs`) when that names the same directory, so a program started
// as build/release/bevorel still reports build/release/.
RomSetPlace locateRomSet(const std::string& given, const std::string& invokedAs, const std::string& realProgram,
                         const std::vector<std::string>& dataDirs = {});

// The program's own file with every link resolved (/proc/self/exe); "" when
// it cannot be known.
std::string realProgramPath();

// What the window tells when no ROM set could be loaded: where it was looked
// for, why the set there did not load (`reason`, as start-up reported it;
// may be empty) and which files a set needs.
std::string missingRomSetText(const RomSetPlace& place, const std::string& reason);
