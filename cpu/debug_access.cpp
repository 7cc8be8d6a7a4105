// A debugger's reads and writes of data memory and of SR, between slices:
// the same routines as an instruction's, so handlers see every access.
#include "exceptions.h"
#include "s68000_debug.h"

using namespace m68k;

namespace {

// Outside a slice there is no remaining count: a handler that asks for it
// sees -1, as io_cycle_counter reads outside a slice.
Run idle_run() { return Run{W.fetchbase, -1}; }

bool in_slice() { return (W.execinfo & EXEC_RUNNING) != 0; }

// Handlers may queue interrupts or release the slice; outside a slice both
// leave the count at -1.
void after_access() { W.io_cycle_counter = -1; }

}  // namespace

void s68000setSR(uint16_t value) {
    if (!in_slice()) set_sr(value);
}

uint32_t s68000readByte(uint32_t address) {
    if (in_slice()) return 0xFF;
    Run r = idle_run();
    const uint32_t v = readmemorybyte(r, address);
    after_access();
    return v;
}

uint32_t s68000readWord(uint32_t address) {
    if (in_slice()) return 0xFFFF;
    Run r = idle_run();
    const uint32_t v = readmemoryword(r, address);
    after_access();
    return v;
}

void s68000writeByte(uint32_t address, uint32_t value) {
    if (in_slice()) return;
    Run r = idle_run();
    writememorybyte(r, address, value & 0xFF);
    after_access();
}

void s68000writeWord(uint32_t address, uint32_t value) {
    if (in_slice()) return;
    Run r = idle_run();
    writememoryword(r, address, value & 0xFFFF);
    after_access();
}
