// The desktop program as main runs it: the options, the application's event
// loop and the exit status, over a machine given by main. The real program
// gives it the process's board; the pacing benchmark gives the board in a
// wrapper that times every frame.
#pragma once

#include "machine.h"

int runProgram(int argc, char** argv, Machine& machine);
