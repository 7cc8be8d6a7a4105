// The 68000 disassembler and the interactive console monitor.
#pragma once

#include <cstdint>

// ---- Disassembler ----

extern uint32_t debugpc;     // 68000 address of the next word to read
extern int32_t isize;        // bytes read of the instruction being decoded
extern uint16_t inst;        // opcode word of the instruction being decoded
extern char eabuffer[32];    // text of the effective address formatted last
extern char sdebug[80];      // text of the current instruction

// Lists `count` instructions from debugpc, one line each (through monitor_print),
// and leaves debugpc after the last.
void cpudebug_disassemble(int count);

// MOVEM register lists: forward (bit 0 = d0) and backward (bit 0 = a7).
void getreglistf(unsigned short mask, char* out);
void getreglistb(unsigned short mask, char* out);

// ---- Monitor ----

using cpudebug_output_hook = void (*)(const char* text);
// Fills `buffer` (of `size` bytes) with one line like fgets; null at end of input.
using cpudebug_input_hook = char* (*)(char* buffer, int size);
using cpudebug_step_hook = void (*)();
using cpudebug_dump_hook = void (*)();

extern cpudebug_output_hook cpudebug_put;
extern cpudebug_input_hook cpudebug_get;
extern uint32_t hexaddr;  // address of the next memory dump

// Runs the command loop until q (result -1) or s (0, or the number given).
int cpudebug_interactive(int cpu, cpudebug_output_hook put, cpudebug_input_hook get,
                         cpudebug_step_hook step, cpudebug_dump_hook dump);

void cpudebug_hexdump();
void cpudebug_registerdump();
void cpudebug_printf(const char* format, ...) __attribute__((format(printf, 1, 2)));
int cpudebug_disabled();

// Called on every step of the monitor's loops (e, b, t) and repeatedly while
// it waits for input, on the monitor's thread. A host that must stop that
// thread (the desktop program on Reset or Quit) leaves the monitor from here.
// Null: nothing is called.
extern void (*cpudebug_stop_check)();

// Called with the stop check while the monitor waits for a command line and
// on every step of its long loops (e, b, t). True: the host no longer wants
// the monitor (the desktop program's Debug switched off); a loop stops and
// the monitor leaves as q does, ending its prompt's line. Null: never.
extern bool (*cpudebug_leave_check)();
