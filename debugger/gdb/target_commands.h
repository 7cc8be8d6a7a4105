// The commands that read or change the board: registers, memory and the
// breakpoint and watchpoint tables. Run on the emulation thread between
// slices; memory goes through the core's data lists, so the board's handlers
// see every access as they would see the CPU's.
#pragma once

#include <string>

#include "command.h"

namespace gdbstub {

// The reply to g, G, p, P, m, M, Z and z.
std::string target_reply(const Command& command);

}  // namespace gdbstub
