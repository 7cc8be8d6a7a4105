// Reading program memory outside the fast instruction path: a byte of a
// program image by its host position, never outside the image.
#pragma once

#include "memory.h"

namespace m68k {

// The host byte at the image position of 68000 address a (a & 0xFFFFFF) in
// the first region of the list that holds a; false when none does.
inline bool program_host_byte(program_region* list, uint32_t a, uint8_t& out) {
    a &= ADDRESS_MASK;
    program_region* reg = find_program(list, a);
    if (!reg) return false;
    out = load8(reg->offset + a);
    return true;
}

// The 16-bit host value at the image position of a: false when a lies in no
// program region. When a + 1 lies outside a's region its byte comes from the
// region that holds it, or is 0xFF.
inline bool program_word(program_region* list, uint32_t a, uint32_t& out) {
    a &= ADDRESS_MASK;
    program_region* reg = find_program(list, a);
    if (!reg) return false;
    if (a + 1 <= reg->high_address) {
        out = load16(reg->offset + a);
        return true;
    }
    uint8_t lo = load8(reg->offset + a);
    uint8_t hi = 0xFF;
    program_host_byte(list, a + 1, hi);
    out = static_cast<uint32_t>(hi) << 8 | lo;
    return true;
}

}  // namespace m68k
