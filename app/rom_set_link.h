// The program's side of the ROM set: where the board start-up reads it, and
// starting the program again with another one.
#pragma once

#include <string>
#include <vector>

// Finds the ROM set for this run (see locateRomSet), hands its place to the
// board start-up and, when the program's directory cannot be used, says so.
void useRomSet(const char* program, const std::string& givenDirectory);

// Replaces the process by the program started again with `args` (argv[1..])
// under the name `program`. Returns only when that fails, after a line on
// standard error.
void restartProgram(const char* program, const std::vector<std::string>& args);
