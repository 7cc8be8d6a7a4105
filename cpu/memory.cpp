#include "memory.h"

namespace m68k {

// Handler call protocol: before the call the handler can see the remaining
// count and the live PC through the working fields; afterwards the count is
// taken back, since s68000releaseTimeslice and s68000interrupt change it.
uint32_t call_read(Run& r, data_region* reg, uint32_t a) {
    W.io_cycle_counter = r.R;
    W.io_fetchbase = W.fetchbase;
    W.io_fetchbased_pc = r.pc;
    uint32_t v = reinterpret_cast<s68000_read_handler>(reg->handler)(a, reg);
    r.R = W.io_cycle_counter;
    return v;
}

void call_write(Run& r, data_region* reg, uint32_t a, uint32_t data) {
    W.io_cycle_counter = r.R;
    W.io_fetchbase = W.fetchbase;
    W.io_fetchbased_pc = r.pc;
    reinterpret_cast<s68000_write_handler>(reg->handler)(a, data, reg);
    r.R = W.io_cycle_counter;
}

// Direct regions with odd bounds: the byte at address x sits at image position
// (x - low) ^ 1 and is served only when x lies in the region's range and that
// position inside its image.
static bool odd_region_byte(const data_region* reg, uint32_t x, uintptr_t& pos) {
    if (x < reg->low_address || x > reg->high_address) return false;
    uint32_t p = (x - reg->low_address) ^ 1;
    if (p > reg->high_address - reg->low_address) return false;
    pos = reinterpret_cast<uintptr_t>(reg->user_data) + p;
    return true;
}

uint8_t odd_region_read8(const data_region* reg, uint32_t a) {
    uintptr_t pos;
    return odd_region_byte(reg, a, pos) ? load8(pos) : 0xFF;
}

void odd_region_write8(const data_region* reg, uint32_t a, uint8_t v) {
    uintptr_t pos;
    if (odd_region_byte(reg, a, pos)) store8(pos, v);
}

uint16_t odd_region_read16(const data_region* reg, uint32_t a) {
    uint32_t even = a & ~1u;
    return static_cast<uint16_t>(odd_region_read8(reg, even) << 8 | odd_region_read8(reg, even + 1));
}

void odd_region_write16(const data_region* reg, uint32_t a, uint16_t v) {
    uint32_t even = a & ~1u;
    odd_region_write8(reg, even, static_cast<uint8_t>(v >> 8));
    odd_region_write8(reg, even + 1, static_cast<uint8_t>(v));
}

// A window that no host position lies in.
static void empty_window() {
    W.window_lo = UINTPTR_MAX;
    W.window_len = 0;
}

void set_window(const program_region* reg) {
    uint64_t size = reg ? uint64_t{reg->high_address} - reg->low_address + 1 : 0;
    if (size >= 10) {
        W.window_lo = reg->offset + reg->low_address;
        W.window_len = static_cast<uintptr_t>(size - 10);
    } else {
        empty_window();
    }
}

bool lookup_program(uint32_t pc) {
    uint32_t a = pc & ADDRESS_MASK;
    uint32_t top = pc & ~ADDRESS_MASK;
    W.in_scratch = false;
    program_region* reg = find_program(_s68000context.fetch, a);
    W.fetch_region = reg;
    if (!reg) {
        W.fetch_region_start = 0xFFFFFFFFu;
        W.fetch_region_end = 0;
        W.fetchbase = 0;
        empty_window();
        return false;
    }
    W.fetch_region_start = reg->low_address | top;
    W.fetch_region_end = reg->high_address | top;
    W.fetchbase = reg->offset - top;
    set_window(reg);
    return true;
}

bool basefunction(Run& r, uint32_t pc) {
    if (lookup_program(pc)) return true;
    W.execinfo |= EXEC_LOOKUP_FAILED;
    cancel_slice(r);
    return false;
}

}  // namespace m68k
