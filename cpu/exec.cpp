// The execution loop: s68000exec with its check point, quit point and common
// exit, the fetch path for PCs that leave the cached window, and the
// interrupt entry points.
#include "ops_common.h"
#include "program_bytes.h"
#include "run_loop.h"

namespace m68k {

#ifdef M68K_INSTRUCTION_COUNTER
uint64_t instructions_dispatched;
#endif

namespace {

// Common exit: packs the condition codes and the PC back into the record and
// counts the cycles used. Cycles still set aside (for tracing or a request
// from a handler) were not used: a slice can leave before the quit point that
// would give them back.
void exit_slice(const Run& r, uint32_t code) {
    s68000context& c = _s68000context;
    c.sr = static_cast<uint16_t>((c.sr & 0xFF00) | ccr_pack());
    c.pc = pc_address(r);
    c.odometer += static_cast<uint32_t>(W.cycles_needed) - static_cast<uint32_t>(r.R) - 1 -
                  static_cast<uint32_t>(W.cycles_leftover);
    W.cycles_leftover = 0;
    W.execinfo = 0;
    W.cycles_needed = 0;
    W.io_cycle_counter = -1;
    W.exit_code = code;
}

// Takes a due interrupt at a check point or quit point; false when the slice
// must leave because a program region lookup failed in it.
bool interrupts_at_station(Run& r) {
    if (!interrupt_due()) return true;
    accept_interrupt(r);
    return !(W.execinfo & EXEC_LOOKUP_FAILED);
}

// Instructions near the end of their program region run from a copy of their
// words: the bytes of the region, then those of the program region that
// follows, 0xFF where none does. Ten bytes hold the longest instruction.
alignas(8) uint8_t scratch[16];

// The host byte of 68000 address a for an instruction of the cached region
// `reg`: from the cached region's own image while a lies in it, as for every
// instruction inside the window, and only past its end from whichever region
// of the current list holds a.
uint8_t instruction_byte(const program_region* reg, uint32_t a) {
    const uint32_t x = a & ADDRESS_MASK;
    if (reg && x >= reg->low_address && x <= reg->high_address) return load8(reg->offset + x);
    uint8_t b = 0xFF;
    program_host_byte(_s68000context.fetch, x, b);
    return b;
}

}  // namespace

void checkpoint(uint32_t, uintptr_t pc, int32_t R) {
    Run r{pc, R};
    if (!interrupts_at_station(r)) return exit_slice(r, S68000_EXIT_NO_REGION);
    W.trace_trickybit = (_s68000context.sr & SR_T) != 0;
    if (W.trace_trickybit) {
        // One instruction, then the trace exception at the quit point.
        W.cycles_leftover += r.R + 1;
        r.R = -1;
    }
    M68K_DISPATCH(r);
}

void checkpoint_after_sr(uint32_t, uintptr_t pc, int32_t R) {
    if (R < 0) M68K_MUSTTAIL return quit_point(0, pc, R);
    M68K_MUSTTAIL return checkpoint(0, pc, R);
}

void quit_point(uint32_t, uintptr_t pc, int32_t R) {
    Run r{pc, R};
    if (W.trace_trickybit) {
        exception(r, VEC_TRACE, pc_address(r));
        r.R -= EXCEPTION_CYCLES;
    }
    if (!interrupts_at_station(r)) return exit_slice(r, S68000_EXIT_NO_REGION);
    r.R += W.cycles_leftover;
    W.cycles_leftover = 0;
    if (r.R >= 0) {
        // A request that a handler made while these exceptions were taken is
        // looked at before the next instruction, as after any instruction.
        if (interrupt_due()) M68K_MUSTTAIL return checkpoint(0, r.pc, r.R);
        M68K_DISPATCH(r);
    }
    exit_slice(r, S68000_EXIT_OK);
}

void invalid_exit(uint32_t, uintptr_t pc, int32_t R) {
    Run r{pc - 2, R};
    exit_slice(r, pc_address(r) & ADDRESS_MASK);
}

void special_flow(uint32_t flow, uintptr_t pc, int32_t R) {
    switch (static_cast<Flow>(flow)) {
        case Flow::CheckPoint: M68K_MUSTTAIL return checkpoint_after_sr(0, pc, R);
        case Flow::Invalid: M68K_MUSTTAIL return invalid_exit(0, pc, R);
        default: M68K_MUSTTAIL return quit_point(0, pc, R);
    }
}

void outside_window(uint32_t, uintptr_t pc, int32_t R) {
    Run r{pc, R};
    if (W.in_scratch) {
        // Back from a copied instruction: the PC returns to its region's image.
        const uint32_t a = pc_address(r);
        W.fetchbase = W.saved_fetchbase;
        W.in_scratch = false;
        set_window(W.fetch_region);
        r.pc = W.fetchbase + a;
        if (r.pc - W.window_lo <= W.window_len) M68K_DISPATCH(r);
    }
    const uint32_t a = pc_address(r);
    if (a < W.fetch_region_start || a > W.fetch_region_end) {
        // Sequential flow or a relative branch left the cached region.
        if (!lookup_program(a)) {
            r.pc = a;
            return exit_slice(r, S68000_EXIT_NO_REGION);
        }
        r.pc = W.fetchbase + a;
        if (r.pc - W.window_lo <= W.window_len) M68K_DISPATCH(r);
    }
    for (uint32_t i = 0; i < 10; ++i) scratch[i] = instruction_byte(W.fetch_region, a + i);
    W.saved_fetchbase = W.fetchbase;
    W.in_scratch = true;
    W.fetchbase = reinterpret_cast<uintptr_t>(scratch) - a;
    W.window_lo = UINTPTR_MAX;
    W.window_len = 0;
    r.pc = reinterpret_cast<uintptr_t>(scratch);
    const uint32_t op = load16(r.pc);
    M68K_COUNT_INSTRUCTION();
    M68K_MUSTTAIL return jmptbl[op](op, r.pc + 2, r.R);
}

}  // namespace m68k

using namespace m68k;

uint32_t s68000exec(int32_t cycles) {
    s68000context& c = _s68000context;
    if (cycles < 0) cycles = 0;  // a slice always runs at least one instruction
    // Capped so that the remaining count of a slice that is cancelled or
    // released after cycles were set aside stays above INT32_MIN.
    constexpr int32_t MAX_BUDGET = 0x7FFF0000;
    if (cycles > MAX_BUDGET) cycles = MAX_BUDGET;
    if (c.interrupts[0] & 1) {
        if (c.pc & 1) return S68000_EXIT_FAULTED;
        c.odometer += static_cast<uint32_t>(cycles);  // stopped: the budget passes idle
        return S68000_EXIT_OK;
    }
    invalidate_data_caches();  // the host may have changed lists or records since the last call
    W.cycles_needed = cycles;
    W.cycles_leftover = 0;
    W.execinfo = EXEC_RUNNING;
    ccr_unpack(static_cast<uint8_t>(c.sr));
    Run r{0, cycles - 1};
    if (!lookup_program(c.pc)) {
        r.pc = c.pc;
        exit_slice(r, S68000_EXIT_NO_REGION);
        return W.exit_code;
    }
    r.pc = W.fetchbase + c.pc;
    checkpoint(0, r.pc, r.R);
    return W.exit_code;
}

int s68000interrupt(int level, int vector) {
    s68000context& c = _s68000context;
    if (level < 1 || level > 7 || vector > 255 || vector < -2) return 2;
    if (vector == -2) vector = VEC_SPURIOUS;
    else if (vector == -1) vector = VEC_SPURIOUS + level;
    if (c.interrupts[0] & (1u << level)) return 1;
    c.interrupts[0] |= static_cast<uint8_t>(1u << level);
    c.interrupts[level] = static_cast<uint8_t>(vector);
    // A request ends the stopped state, but not the faulted one: a processor
    // whose reset failed stays faulted until a reset succeeds.
    if (!(c.pc & 1)) c.interrupts[0] &= ~1;
    // From a handler: the rest of the slice is set aside, so the request is
    // looked at right after the current instruction.
    W.cycles_leftover += W.io_cycle_counter + 1;
    W.io_cycle_counter = -1;
    return 0;
}

void s68000flushInterrupts() {
    s68000context& c = _s68000context;
    if (W.execinfo & EXEC_RUNNING) return;
    // A faulted processor takes no request until a reset succeeds, here as
    // in s68000exec.
    if ((c.interrupts[0] & 1) && (c.pc & 1)) return;
    if (!interrupt_due()) return;
    invalidate_data_caches();  // the host may have changed lists or records since the last call
    ccr_unpack(static_cast<uint8_t>(c.sr));
    // The new PC is not looked up here: the next slice does that.
    W.fetchbase = 0;
    W.fetch_region_start = 0;
    W.fetch_region_end = 0xFFFFFFFFu;
    Run r{c.pc, -1};
    if (accept_interrupt(r)) c.odometer += INTERRUPT_CYCLES;
    c.pc = pc_address(r);
    c.sr = static_cast<uint16_t>((c.sr & 0xFF00) | ccr_pack());
    W.fetch_region_start = 0xFFFFFFFFu;
    W.fetch_region_end = 0;
    W.fetch_region = nullptr;
}
