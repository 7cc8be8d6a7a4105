// Where the ROM set is read from: the directory given on the command line,
// or else Roms/ beside the program's real file, then Roms/ in the current
// directory.
#pragma once

#include <string>
#include <vector>

// The six files of a ROM set, in the order the board loads them.
extern const char* const kRomSetFiles[6];
constexpr const char* kRomSetFileList = "PELLMORA.2A, PELLMORA.3A, CH0, CH1, CH2 and CH3";

struct RomSetPlace {
    // What the board start-up is handed: a directory with its final '/'.
    // Without `givenDirectory` the board reads prefix + "./Roms/" + file.
    std::string prefix;
    // The ROM set was given as a directory: the board reads prefix + file.
    bool givenDirectory = false;
    // Every directory looked in for the six files, absolute, each with its
    // final '/', in the order looked in; the first is the one used when none
    // holds a whole set.
    std::vector<std::string> searched;
    // The program's directory could not be handed to the board (1024
    // characters or more): only the current directory was looked in.
    bool programPathTooLong = false;
};

// The files of `directory` (with or without a final '/') that a ROM set needs
// and that are missing, not regular files, unreadable or shorter than 131072
// bytes; empty when it holds a whole set.
std::vector<std::string> missingRomFiles(const std::string& directory);

// Where to read the ROM set: from `givenDirectory` when it is not empty;
// else from Roms/ in the directory of `realProgram` (the program file with
// every link resolved; "" when unknown, then argv[0]'s directory is used),
// or, when that holds no whole set and Roms/ in the current directory
// does, from there. The program's directory keeps the spelling of argv[0]
// (`invokedAs`) when that names the same directory, so a program started
// as build/release/bevorel still reports build/release/.
RomSetPlace locateRomSet(const std::string& givenDirectory, const std::string& invokedAs,
                         const std::string& realProgram);

// The program's own file with every link resolved (/proc/self/exe); "" when
// it cannot be known.
std::string realProgramPath();

// Where this run reads its ROM set (set by main before the window is built).
extern RomSetPlace romSetPlace;

// What the window tells when no ROM set could be loaded: where it was looked
// for and which files it needs.
std::string missingRomSetText(const RomSetPlace& place);
