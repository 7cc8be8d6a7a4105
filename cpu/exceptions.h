// Exception processing: the one entry every exception takes, interrupt
// acceptance, and the writes of SR that switch between user and supervisor.
#pragma once

#include "memory.h"
#include "s68000_debug.h"

namespace m68k {

// Exception vector numbers.
enum Vector : unsigned {
    VEC_ILLEGAL = 4,
    VEC_ZERO_DIVIDE = 5,
    VEC_CHK = 6,
    VEC_TRAPV = 7,
    VEC_PRIVILEGE = 8,
    VEC_TRACE = 9,
    VEC_LINE_A = 10,
    VEC_LINE_F = 11,
    VEC_SPURIOUS = 24,
    VEC_TRAP0 = 32,
};

// Cycles the core charges for an exception itself.
constexpr int EXCEPTION_CYCLES = 34;
constexpr int INTERRUPT_CYCLES = 44;

// Takes exception `vector`, pushing `pushed_pc` and the current SR on the
// supervisor stack, and moves the PC to the vector's address. `level` is an
// interrupt's, 0 for other exceptions (for the flow hook).
void exception(Run& r, unsigned vector, uint32_t pushed_pc, unsigned level = 0);

// The flow hook (null when unset), and its call for a change of flow that
// has just happened, with the live PC and count. The instructions that
// report are served by the handlers of flow_handlers.cpp while it is set.
extern s68000_flow_hook flow_hook M68K_HIDDEN;
void report_flow(S68000FlowKind kind, uint32_t from, uintptr_t pc, int32_t R, unsigned vector = 0,
                 unsigned level = 0);
inline bool flow_hooked() { return flow_hook != nullptr; }

// Installs a new SR (unassigned bits cleared), switching stack pointers and
// region lists when S changes, and unpacks its condition codes.
void set_sr(uint16_t value);

// Installs the five current region lists of the given mode.
void install_lists(bool supervisor);

// True when a pending request is of level 7 or above the mask.
inline bool interrupt_due() {
    uint8_t pending = _s68000context.interrupts[0] & 0xFE;
    if (!pending) return false;
    unsigned mask = (_s68000context.sr >> 8) & 7;
    return (pending >> (mask + 1)) != 0 || (pending & 0x80);
}

// Takes the highest pending request that is due, if any (44 cycles).
bool accept_interrupt(Run& r);

}  // namespace m68k
