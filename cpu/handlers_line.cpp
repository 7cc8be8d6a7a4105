// Instruction handlers of one line of opcodes (bits 15-12 = M68K_LINE). The
// build compiles this file once per line, so the 16 lines build in parallel.
#include "handler.h"

#ifndef M68K_LINE
#error "M68K_LINE must name the opcode line (0 to 15)"
#endif

#define M68K_EXPAND_LINE(L) M68K_HANDLERS_OF_LINE(L)
M68K_EXPAND_LINE(M68K_LINE)
