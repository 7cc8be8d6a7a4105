// The workbench's controller on the machine's run control, for the program:
// after the gdb stub when --gdb serves gdb, so that gdb's client, while one
// is attached, takes the stops.
#pragma once

#include <string>

#include "controller.h"
#include "machine.h"

// Before any emulation thread runs; after startGdbLink when gdb is served.
void attachWorkbench(Machine& machine, workbench::Controller& controller);
// --symbols FILE: names for the workbench; a file that cannot be used is
// reported on the console and changes nothing.
void loadWorkbenchSymbols(workbench::Controller& controller, const std::string& path);
