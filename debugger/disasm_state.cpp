// The disassembler's module state and the helpers all formatters share.
#include <cstdarg>
#include <cstdio>

#include "disasm.h"
#include "s68000.h"

uint32_t debugpc = 0;
int32_t isize = 0;
uint16_t inst = 0;
char eabuffer[32];
char sdebug[80];

bool debug_text_overflowed = false;

uint16_t debug_next_word() {
    debugpc += 2;
    isize += 2;
    // s68000fetch answers 0xFFFFFFFF outside every program region: its low
    // 16 bits are the 0xFFFF such a word reads as.
    return static_cast<uint16_t>(s68000fetch(debugpc - 2));
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
