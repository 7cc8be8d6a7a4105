// The context record and the entry points that act on it between slices:
// reset, context switching, program fetch for debuggers, the odometer.
#include "core_state.h"
#include "memory.h"
#include "program_bytes.h"

s68000context _s68000context;

namespace m68k {
Working W = {.fetch_region_start = 0xFFFFFFFFu, .io_cycle_counter = -1, .window_lo = UINTPTR_MAX};
}

using namespace m68k;

int s68000GetContextSize() { return static_cast<int>(sizeof(s68000context)); }

int s68000GetContext(void* context) {
    std::memcpy(context, &_s68000context, sizeof(s68000context));
    return 0;
}

int s68000SetContext(const void* context) {
    std::memcpy(&_s68000context, context, sizeof(s68000context));
    invalidate_data_caches();
    return 0;
}

int s68000reset() {
    s68000context& c = _s68000context;
    if ((W.execinfo & EXEC_RUNNING) || !c.s_fetch) return 1;
    W.execinfo = 0;
    invalidate_data_caches();
    std::memset(c.dreg, 0, sizeof c.dreg);
    std::memset(c.areg, 0, sizeof c.areg);
    c.asp = 0;
    c.sr = 0x2700;
    c.fetch = c.s_fetch;
    c.readbyte = c.s_readbyte;
    c.readword = c.s_readword;
    c.writebyte = c.s_writebyte;
    c.writeword = c.s_writeword;
    c.pc = 1;
    c.interrupts[0] = 1;  // faulted until the vectors have been read

    // Both vectors come straight from the image of the supervisor program
    // region that holds address 0, which must hold all of their 8 bytes.
    const program_region* vectors = find_program(c.s_fetch, 0);
    if (!vectors || vectors->high_address < 7) return 1;
    const uintptr_t base = vectors->offset;
    c.a7() = uint32_t{load16(base)} << 16 | load16(base + 2);
    c.pc = uint32_t{load16(base + 4)} << 16 | load16(base + 6);
    c.interrupts[0] = c.pc & 1;
    return (c.pc & 1) ? -1 : 0;
}

uint32_t s68000fetch(uint32_t address) {
    uint32_t word;
    return program_word(_s68000context.s_fetch, address, word) ? word : 0xFFFFFFFFu;
}

uint32_t s68000readOdometer() {
    return static_cast<uint32_t>(W.cycles_needed) - static_cast<uint32_t>(W.io_cycle_counter) - 1 -
           static_cast<uint32_t>(W.cycles_leftover) + _s68000context.odometer;
}

uint32_t s68000tripOdometer() {
    uint32_t total = s68000readOdometer();
    // The slice's count of cycles used restarts at 0 (cycles set aside by an
    // interrupt request are still to come back, so they stay outside it).
    W.cycles_needed = W.io_cycle_counter + 1 + W.cycles_leftover;
    _s68000context.odometer = 0;
    return total;
}

uint32_t s68000controlOdometer(int flag) { return flag ? s68000tripOdometer() : s68000readOdometer(); }

void s68000releaseTimeslice() {
    if (!(W.execinfo & EXEC_RUNNING)) return;
    W.io_cycle_counter -= W.cycles_needed;
    W.cycles_needed = 0;
}

uint32_t s68000readPC() {
    if (W.execinfo & EXEC_RUNNING) return static_cast<uint32_t>(W.io_fetchbased_pc - W.io_fetchbase);
    return _s68000context.pc;
}
