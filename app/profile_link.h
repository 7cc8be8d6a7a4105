// --profile FILE: the 68000 profiled from the first frame to quit, the
// profile written in callgrind's format once the emulation thread stopped.
#pragma once

#include <memory>
#include <string>

#include "line_table.h"
#include "machine.h"

// The line table of the ELF file `path`; null (and nothing said) when it
// has none or cannot be read: the names alone are used then.
std::shared_ptr<const workbench::LineTable> readSourceLines(const std::string& path);

// Before the application runs: the profile starts at the first frame.
// `symbols` is the --symbols file ("" for none): its names, and its line
// table when it is an ELF file with one.
void startProfile(Machine& machine, const std::string& path, const std::string& symbols);
// After the emulation thread has stopped: ends the range and writes the
// file; false (with a message on standard error) when it cannot be written.
bool finishProfile(const char* program);
