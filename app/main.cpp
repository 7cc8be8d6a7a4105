// The program over the process's board.
#include "machine.h"
#include "program.h"

int main(int argc, char** argv) { return runProgram(argc, argv, boardMachine()); }
