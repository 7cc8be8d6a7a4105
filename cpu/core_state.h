// The core's working state: the fields that follow the context record, the
// condition codes in working form, and the live PC and cycle count that the
// instruction handlers pass from one to the next.
#pragma once

#include <cstdint>
#include <cstring>

#include "s68000.h"

#define M68K_HIDDEN __attribute__((visibility("hidden")))

namespace m68k {

// execinfo bits
constexpr uint8_t EXEC_RUNNING = 1;        // s68000exec is running
constexpr uint8_t EXEC_LOOKUP_FAILED = 2;  // a program region lookup failed in this slice

// The data lists a cache entry belongs to: the current readbyte, readword,
// writebyte and writeword lists.
enum DataList : unsigned { READ_BYTE, READ_WORD, WRITE_BYTE, WRITE_WORD, DATA_LISTS };

// A direct region that a current data list served, over part of its range
// where it is the first match of its list: lo .. lo + limit - 1, from an even
// to an odd address. A byte access at address a (top 8 bits cleared) hits
// when a - lo < limit; word and long accesses test the word's address (bit 0
// clear), a long against long_limit (its second word lies in the region too).
// An empty entry has both limits 0. See memory.h for what empties entries.
struct DataCache {
    // Host-sized, so that an offset from lo is a host offset as it stands.
    uintptr_t lo;
    uintptr_t limit;
    uintptr_t long_limit;
    uintptr_t at_lo;  // host position of address lo in the region's image
    // Host memory the entry depends on: the list's records up to the one
    // found; and, for a write list, the host bytes its accesses can write.
    uintptr_t records_lo, records_hi;
    uintptr_t writes_lo, writes_hi;
};

// Fields after the record; only the core uses them.
struct Working {
    int32_t cycles_needed;       // budget of the slice in progress; 0 outside one
    int32_t cycles_leftover;     // cycles set aside until the next quit point
    uint32_t fetch_region_start; // bounds of the cached program region, with the PC's top 8 bits
    uint32_t fetch_region_end;
    uint8_t xflag;               // X during a slice (0 or 1)
    uint8_t execinfo;
    uint8_t trace_trickybit;     // a trace exception is due after the current instruction
    int32_t io_cycle_counter;    // remaining count while a handler runs; -1 outside a slice
    uintptr_t io_fetchbase;      // fetch base and host PC while a handler runs
    uintptr_t io_fetchbased_pc;
    uint32_t access_address;     // full address of the data access that last searched its list

    // Condition codes in working form during a slice.
    uint32_t n;  // N is bit 31
    uint32_t z;  // Z is set when z == 0
    uint32_t v;  // V is bit 31
    uint32_t c;  // C is bit 0

    // Instruction fetch: host position of the PC = fetchbase + PC (wrapping).
    uintptr_t fetchbase;
    // Host positions from which a whole instruction (10 bytes) lies inside the
    // cached program region's image: window_lo .. window_lo + window_len.
    uintptr_t window_lo;
    uintptr_t window_len;
    const program_region* fetch_region;  // the cached program region, null if none
    // An instruction near the end of its region runs from a copy of its words.
    bool in_scratch;
    uintptr_t saved_fetchbase;

    uint32_t exit_code;  // result of the slice, set by the common exit

    // The first entry of each list, then the second (the region served before).
    DataCache data_cache[2 * DATA_LISTS];
    // Results of the out-of-line data access path (see memory.h).
    uint32_t searched_value;
    int32_t searched_R;
};

extern Working W M68K_HIDDEN;

// The live PC (host position) and remaining count R of a slice. Handlers keep
// them in registers and pass them on to the next handler.
struct Run {
    uintptr_t pc;
    int32_t R;
};

using Handler = void (*)(uint32_t opcode, uintptr_t pc, int32_t R);

// Host memory of the images, read and written without alignment demands.
inline uint16_t load16(uintptr_t p) {
    uint16_t v;
    std::memcpy(&v, reinterpret_cast<const void*>(p), 2);
    return v;
}
inline void store16(uintptr_t p, uint16_t v) { std::memcpy(reinterpret_cast<void*>(p), &v, 2); }
inline uint8_t load8(uintptr_t p) { return *reinterpret_cast<const uint8_t*>(p); }
inline void store8(uintptr_t p, uint8_t v) { *reinterpret_cast<uint8_t*>(p) = v; }

// The 68000 address of the live PC.
inline uint32_t pc_address(const Run& r) { return static_cast<uint32_t>(r.pc - W.fetchbase); }

// Instruction stream reads.
inline uint16_t fetch16(Run& r) {
    uint16_t w = load16(r.pc);
    r.pc += 2;
    return w;
}
inline uint32_t fetch32(Run& r) {
    uint32_t hi = load16(r.pc);
    uint32_t lo = load16(r.pc + 2);
    r.pc += 4;
    return hi << 16 | lo;
}

// Condition codes.
inline uint8_t ccr_pack() {
    return static_cast<uint8_t>((W.xflag & 1) << 4 | (W.n >> 31) << 3 | (W.z == 0) << 2 |
                                (W.v >> 31) << 1 | (W.c & 1));
}
inline void ccr_unpack(uint8_t ccr) {
    W.xflag = (ccr >> 4) & 1;
    W.n = (ccr & 8) ? 0x80000000u : 0;
    W.z = (ccr & 4) ? 0 : 1;
    W.v = (ccr & 2) ? 0x80000000u : 0;
    W.c = ccr & 1;
}
inline uint16_t sr_value() { return static_cast<uint16_t>((_s68000context.sr & 0xFF00) | ccr_pack()); }

// SR bits that exist on the 68000: T, S, the mask, X N Z V C.
constexpr uint16_t SR_VALID = 0xA71F;
constexpr uint16_t SR_T = 0x8000;
constexpr uint16_t SR_S = 0x2000;

}  // namespace m68k
