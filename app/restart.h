// Starting the program again in the same process, with other arguments.
#pragma once

#include <string>
#include <vector>

// Replaces the process by the program's own file (/proc/self/exe) started
// with `args` (argv[1..]) under the name `program`, after flushing the
// console. Returns only when that fails, after a line on standard error.
void restartProgram(const char* program, const std::vector<std::string>& args);
