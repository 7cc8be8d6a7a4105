// The machine's one debugger hook slot holds the shared run control; the
// gdb stub and the workbench (and any later debugger) attach to it as
// clients, in the order they attach.
#pragma once

#include "machine.h"
#include "run_control.h"

// While no emulation thread runs. The hooks are installed while any client
// is attached.
void attachRunClient(Machine& machine, RunClient& client);
void detachRunClient(Machine& machine, RunClient& client);
