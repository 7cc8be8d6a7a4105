// The disassembler's module state, the helpers all formatters share, and the
// line procedure: address, the instruction's words padded to five word
// slots, then the instruction text.
#include <cstdarg>
#include <cstdio>

#include "disasm.h"
#include "monitor_output.h"
#include "s68000.h"

uint32_t debugpc = 0;
int32_t isize = 0;
uint16_t inst = 0;
char eabuffer[32];
char sdebug[80];

bool debug_text_overflowed = false;

namespace {

constexpr uint32_t kAddressMask = 0xFFFFFF;  // the 68000's address bus: 24 bits

}  // namespace

// Addresses wrap at 24 bits: the word after 0xFFFFFE is the one at 0.
uint16_t debug_next_word() {
    const uint32_t address = debugpc & kAddressMask;
    debugpc = (address + 2) & kAddressMask;
    isize += 2;
    // s68000fetch answers 0xFFFFFFFF outside every program region: its low
    // 16 bits are the 0xFFFF such a word reads as.
    return static_cast<uint16_t>(s68000fetch(address));
}

static void format_into(char* buffer, size_t size, const char* format, va_list args) {
    int length = std::vsnprintf(buffer, size, format, args);
    if (length < 0 || static_cast<size_t>(length) >= size) debug_text_overflowed = true;
}

void debug_text(const char* format, ...) {
    va_list args;
    va_start(args, format);
    format_into(sdebug, sizeof sdebug, format, args);
    va_end(args);
}

void debug_ea_text(const char* format, ...) {
    va_list args;
    va_start(args, format);
    format_into(eabuffer, sizeof eabuffer, format, args);
    va_end(args);
}

namespace {

constexpr int32_t kHexColumnBytes = 10;  // five words

void disassemble_one() {
    const uint32_t start = debugpc & kAddressMask;
    monitor_print("%08X: ", start);
    isize = 0;
    inst = debug_next_word();
    debugmap[inst >> 6]();
    // The words are fetched again for the hex column, isize bytes from the
    // start (debugpc may have wrapped past the top of the address space).
    for (int32_t offset = 0; offset < isize; offset += 2)
        monitor_print("%04X ", static_cast<unsigned>(s68000fetch((start + offset) & kAddressMask) & 0xFFFF));
    for (int32_t padding = isize; padding < kHexColumnBytes; padding += 2) monitor_print("     ");
    monitor_print("%s\n", sdebug);
}

}  // namespace

// A count of 0 or less lists nothing.
void cpudebug_disassemble(int count) {
    for (int i = 0; i < count; ++i) disassemble_one();
}
