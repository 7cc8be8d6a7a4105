// A debugger's reads and writes of data memory and of SR, between slices:
// the same routines as an instruction's, so handlers see every access.
#include "exceptions.h"
#include "s68000_debug.h"

using namespace m68k;

namespace {

bool in_slice() { return (W.execinfo & EXEC_RUNNING) != 0; }

// Runs one access outside a slice (`refused` inside one). There is no
// remaining count: a handler sees -1, as io_cycle_counter reads outside a
// slice, and the count is -1 again afterwards whatever the handler did
// (queue an interrupt, release the slice).
template <typename Access>
uint32_t outside_slice(uint32_t refused, Access access) {
    if (in_slice()) return refused;
    Run r{W.fetchbase, -1};
    const uint32_t value = access(r);
    W.io_cycle_counter = -1;
    return value;
}

}  // namespace

void s68000setSR(uint16_t value) {
    if (!in_slice()) set_sr(value);
}

uint32_t s68000readByte(uint32_t address) {
    return outside_slice(0xFF, [&](Run& r) -> uint32_t { return readmemorybyte(r, address); });
}

uint32_t s68000readWord(uint32_t address) {
    return outside_slice(0xFFFF, [&](Run& r) -> uint32_t { return readmemoryword(r, address); });
}

void s68000writeByte(uint32_t address, uint32_t value) {
    outside_slice(0, [&](Run& r) -> uint32_t {
        writememorybyte(r, address, value & 0xFF);
        return 0;
    });
}

void s68000writeWord(uint32_t address, uint32_t value) {
    outside_slice(0, [&](Run& r) -> uint32_t {
        writememoryword(r, address, value & 0xFFFF);
        return 0;
    });
}
