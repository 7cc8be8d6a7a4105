// The workbench's controller hooked to the machine, for the program: its
// hooks run at every frame boundary and in place of every slice, and pass
// to the gdb stub's when --gdb serves gdb.
#pragma once

#include <string>

#include "controller.h"
#include "machine.h"

// Before any emulation thread runs; after startGdbLink when gdb is served.
void attachWorkbench(Machine& machine, workbench::Controller& controller, bool gdbLinked);
// --symbols FILE: names for the workbench; a file that cannot be used is
// reported on the console and changes nothing.
void loadWorkbenchSymbols(workbench::Controller& controller, const std::string& path);
