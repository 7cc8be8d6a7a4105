// Internals of the disassembler: the decoding tables, the word reader and the
// helpers every formatter uses. Formatters take no arguments: they read the
// opcode from `inst`, further words through debug_next_word(), and leave their
// text in `sdebug` (instruction formatters) or `eabuffer` (EA formatters).
#pragma once

#include <array>
#include <cstdint>

#include "cpudebug.h"

using debug_formatter = void (*)();

// Fixed at build time, never written.
extern const std::array<debug_formatter, 1024> debugmap;      // by opcode bits 15..6
extern const std::array<uint8_t, 1024> opsize;                // immediate size in bytes, same index
extern const std::array<debug_formatter, 64> eacalc;          // by mode * 8 + register
extern const std::array<debug_formatter, 64> debugspecialmap; // 0x4E40-0x4E7F by bits 5..0

// Reads the instruction word at debugpc and advances debugpc and isize by 2,
// debugpc wrapping at 24 bits as the 68000's addresses do. A word outside
// every program region reads as 0xFFFF.
uint16_t debug_next_word();

// Writes the instruction text into sdebug.
void debug_text(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Writes an effective-address text into eabuffer.
void debug_ea_text(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Set when a text did not fit its buffer and was cut; nothing clears it but
// the caller. A correct formatter set never sets it.
extern bool debug_text_overflowed;

// Runs the EA formatter for a six-bit mode/register field.
inline void debug_ea(unsigned field) { eacalc[field & 63](); }

// Opcode fields.
inline unsigned op_register() { return (inst >> 9) & 7; }  // bits 11..9
inline unsigned op_low_register() { return inst & 7; }     // bits 2..0
inline unsigned op_mode() { return (inst >> 3) & 7; }      // bits 5..3
inline unsigned op_size_field() { return (inst >> 6) & 3; }
inline unsigned op_condition() { return (inst >> 8) & 15; }

// Signed displacements print as a sign character and a magnitude.
inline char sign_char(int32_t value) { return value < 0 ? '-' : '+'; }
inline unsigned magnitude(int32_t value) {
    return value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
}
