// The line procedure: address, the instruction's words padded to five word
// slots, then the instruction text.
#include "disasm.h"
#include "monitor_output.h"
#include "s68000.h"

namespace {

constexpr int32_t kHexColumnBytes = 10;  // five words

void disassemble_one() {
    uint32_t start = debugpc;
    monitor_print("%08X: ", start);
    isize = 0;
    inst = debug_next_word();
    debugmap[inst >> 6]();
    // The words are fetched again for the hex column. debugpc - start equals
    // isize, counted so that a listing across the top of the address space
    // still prints the words it read.
    for (int32_t offset = 0; offset < isize; offset += 2)
        monitor_print("%04X ", static_cast<unsigned>(s68000fetch(start + offset) & 0xFFFF));
    for (int32_t padding = isize; padding < kHexColumnBytes; padding += 2) monitor_print("     ");
    monitor_print("%s\n", sdebug);
}

}  // namespace

// A count of 0 or less lists nothing.
void cpudebug_disassemble(int count) {
    for (int i = 0; i < count; ++i) disassemble_one();
}
