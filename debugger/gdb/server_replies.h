// What the server answers by itself, without the board: the protocol's
// features, the target description, threads, and anything unknown or
// malformed.
#pragma once

#include <string>

#include "command.h"

namespace gdbstub {

// The reply to a command that for_the_target() does not claim.
std::string server_reply(const Command& command);

// The target description: a 68000, registers d0-d7, a0-a7, sr (as "ps",
// 32 bits) and pc, no floating point.
extern const char* const kTargetXml;

}  // namespace gdbstub
