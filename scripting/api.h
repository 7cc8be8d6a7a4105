// The API's functions as the tables emu, input, callbacks and console hold
// them. Each takes its arguments through Arguments and throws ArgumentError
// (or ExitRequest) rather than raising a Lua error itself; the one entry
// point (api.cpp) turns those into Lua errors at the caller's line.
#pragma once

#include <span>

#include "arguments.h"
#include "script.h"

namespace scripting {

// Thrown by emu.exit once the host was told: the script ends there.
struct ExitRequest {};

struct ApiFunction {
    const char* table;
    const char* name;
    // Leaves its results on the stack and returns how many.
    int (*call)(lua_State* L, Script& script, const Arguments& args);
};

// Memory, registers and symbols (api_machine.cpp).
std::span<const ApiFunction> machineFunctions();
// Time, control, states, input, callbacks and the console (api_control.cpp).
std::span<const ApiFunction> controlFunctions();

}  // namespace scripting
