// How handlers chain. Each handler ends by testing the remaining count and
// jumping straight to the next opcode's handler (a guaranteed tail call), so
// a slice is one table jump per instruction. The check point, quit point and
// the fetch path for PCs near a region's end share the handlers' signature.
#pragma once

#include "core_state.h"

namespace m68k {

extern Handler jmptbl[65536] M68K_HIDDEN;

// The run loop's stations, reached by tail calls with the live PC and R.
void checkpoint(uint32_t, uintptr_t pc, int32_t R) M68K_HIDDEN;
void checkpoint_after_sr(uint32_t, uintptr_t pc, int32_t R) M68K_HIDDEN;
void quit_point(uint32_t, uintptr_t pc, int32_t R) M68K_HIDDEN;
void invalid_exit(uint32_t, uintptr_t pc, int32_t R) M68K_HIDDEN;
void outside_window(uint32_t, uintptr_t pc, int32_t R) M68K_HIDDEN;
// Routes a non-Next flow (passed as the first argument) to its station.
void special_flow(uint32_t flow, uintptr_t pc, int32_t R) M68K_HIDDEN;

}  // namespace m68k

#define M68K_MUSTTAIL [[clang::musttail]]

// Fuzz builds count the instructions dispatched, for their reports.
#ifdef M68K_INSTRUCTION_COUNTER
namespace m68k {
extern uint64_t instructions_dispatched;
}
#define M68K_COUNT_INSTRUCTION() (++::m68k::instructions_dispatched)
#else
#define M68K_COUNT_INSTRUCTION() ((void)0)
#endif

// Runs the instruction at r.pc, whatever R is.
#define M68K_DISPATCH(r)                                                          \
    do {                                                                          \
        if ((r).pc - ::m68k::W.window_lo > ::m68k::W.window_len) [[unlikely]]     \
            M68K_MUSTTAIL return ::m68k::outside_window(0, (r).pc, (r).R);        \
        const uint32_t next_op_ = ::m68k::load16((r).pc);                          \
        M68K_COUNT_INSTRUCTION();                                                 \
        M68K_MUSTTAIL return ::m68k::jmptbl[next_op_](next_op_, (r).pc + 2, (r).R); \
    } while (0)

// After an instruction: the next one while R >= 0, else the quit point.
#define M68K_NEXT(r)                                                          \
    do {                                                                      \
        if ((r).R < 0) [[unlikely]]                                           \
            M68K_MUSTTAIL return ::m68k::quit_point(0, (r).pc, (r).R);        \
        M68K_DISPATCH(r);                                                     \
    } while (0)
