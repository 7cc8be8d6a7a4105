// The program's side of the ROM set: where the board start-up reads it.
#pragma once

#include <string>

// Finds the ROM set for this run (see locateRomSet), hands its place to the
// board start-up and, when the program's directory cannot be used, says so.
// A set given on the command line (`given`: its directory, one of its files
// or a .zip of them) is read here and handed to start-up from memory.
void useRomSet(const char* program, const std::string& given);
