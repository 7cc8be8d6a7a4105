// Memory access dispatch: operand reads and writes through the current data
// region lists, and the program region lookup for the PC.
//
// Every data access searches its list anew, first record in list order wins.
// Direct regions are read and written in the memory image format; handler
// regions get the address with its top 8 bits cleared. Unmapped reads give all
// ones and unmapped writes are dropped.
#pragma once

#include "core_state.h"

namespace m68k {

constexpr uint32_t ADDRESS_MASK = 0x00FFFFFF;

inline data_region* find_data(data_region* p, uint32_t a) {
    if (!p) return nullptr;
    for (;; ++p) {
        if (p->low_address <= a && a <= p->high_address) return p;
        if (p->low_address == 0xFFFFFFFFu) return nullptr;
    }
}

inline program_region* find_program(program_region* p, uint32_t a) {
    if (!p) return nullptr;
    for (;; ++p) {
        if (p->low_address <= a && a <= p->high_address) return p;
        if (p->low_address == 0xFFFFFFFFu) return nullptr;
    }
}

// A direct region that starts at an even and ends at an odd address: every
// word of its range lies whole inside its image.
inline bool well_formed(const data_region* r) {
    return ((r->low_address | ~r->high_address) & 1) == 0;
}
inline uintptr_t image_pos(const data_region* r, uint32_t a) {
    return reinterpret_cast<uintptr_t>(r->user_data) + (a - r->low_address);
}

// Out-of-line parts: handler calls under the call protocol, and direct
// regions with odd bounds (served byte by byte, inside the image only).
uint32_t call_read(Run& r, data_region* reg, uint32_t a);
void call_write(Run& r, data_region* reg, uint32_t a, uint32_t data);
uint8_t odd_region_read8(const data_region* reg, uint32_t a);
void odd_region_write8(const data_region* reg, uint32_t a, uint8_t v);
uint16_t odd_region_read16(const data_region* reg, uint32_t a);
void odd_region_write16(const data_region* reg, uint32_t a, uint16_t v);

inline uint8_t readmemorybyte(Run& r, uint32_t address) {
    W.access_address = address;
    uint32_t a = address & ADDRESS_MASK;
    data_region* reg = find_data(_s68000context.readbyte, a);
    if (!reg) return 0xFF;
    if (!reg->handler) {
        if (well_formed(reg)) [[likely]]
            return load8(image_pos(reg, a ^ 1));
        return odd_region_read8(reg, a);
    }
    return static_cast<uint8_t>(call_read(r, reg, a));
}

// Word of a direct region at a (bit 0 ignored).
inline uint16_t direct_read16(const data_region* reg, uint32_t a) {
    if (well_formed(reg)) [[likely]]
        return load16(image_pos(reg, a & ~1u));
    return odd_region_read16(reg, a);
}
inline void direct_write16(const data_region* reg, uint32_t a, uint16_t v) {
    if (well_formed(reg)) [[likely]]
        store16(image_pos(reg, a & ~1u), v);
    else
        odd_region_write16(reg, a, v);
}

inline uint16_t readmemoryword(Run& r, uint32_t address) {
    W.access_address = address;
    uint32_t a = address & ADDRESS_MASK;
    data_region* reg = find_data(_s68000context.readword, a);
    if (!reg) return 0xFFFF;
    if (!reg->handler) [[likely]]
        return direct_read16(reg, a);
    return static_cast<uint16_t>(call_read(r, reg, a));
}

inline uint32_t readmemorydword(Run& r, uint32_t address) {
    W.access_address = address;
    uint32_t a = address & ADDRESS_MASK;
    data_region* reg = find_data(_s68000context.readword, a);
    if (!reg) return 0xFFFFFFFFu;
    uint32_t hi;
    uint32_t lo;
    if (!reg->handler) [[likely]] {
        hi = direct_read16(reg, a);
        lo = (a + 2 <= reg->high_address) ? direct_read16(reg, a + 2) : readmemoryword(r, a + 2);
    } else {
        hi = call_read(r, reg, a) & 0xFFFF;
        lo = (a + 2 <= reg->high_address) ? call_read(r, reg, a + 2) & 0xFFFF
                                          : readmemoryword(r, a + 2);
    }
    return hi << 16 | lo;
}

inline void writememorybyte(Run& r, uint32_t address, uint32_t value) {
    W.access_address = address;
    uint32_t a = address & ADDRESS_MASK;
    data_region* reg = find_data(_s68000context.writebyte, a);
    if (!reg) return;
    if (!reg->handler) {
        if (well_formed(reg)) [[likely]]
            store8(image_pos(reg, a ^ 1), static_cast<uint8_t>(value));
        else
            odd_region_write8(reg, a, static_cast<uint8_t>(value));
        return;
    }
    call_write(r, reg, a, value & 0xFF);
}

inline void writememoryword(Run& r, uint32_t address, uint32_t value) {
    W.access_address = address;
    uint32_t a = address & ADDRESS_MASK;
    data_region* reg = find_data(_s68000context.writeword, a);
    if (!reg) return;
    if (!reg->handler) [[likely]] {
        direct_write16(reg, a, static_cast<uint16_t>(value));
        return;
    }
    call_write(r, reg, a, value & 0xFFFF);
}

inline void writememorydword(Run& r, uint32_t address, uint32_t value) {
    W.access_address = address;
    uint32_t a = address & ADDRESS_MASK;
    data_region* reg = find_data(_s68000context.writeword, a);
    uint16_t hi = static_cast<uint16_t>(value >> 16);
    uint16_t lo = static_cast<uint16_t>(value);
    if (!reg) {
        // The upper word is dropped; the lower one may still land somewhere.
        writememoryword(r, a + 2, lo);
        return;
    }
    if (!reg->handler) [[likely]] {
        direct_write16(reg, a, hi);
        if (a + 2 <= reg->high_address)
            direct_write16(reg, a + 2, lo);
        else
            writememoryword(r, a + 2, lo);
    } else {
        call_write(r, reg, a, hi);
        if (a + 2 <= reg->high_address)
            call_write(r, reg, a + 2, lo);
        else
            writememoryword(r, a + 2, lo);
    }
}

// Program region lookup for a PC. On success the region is cached and the
// fetch base set; on failure the cache is emptied, bit 1 of execinfo set and
// the current slice cancelled (the odometer still gets the cycles used).
bool basefunction(Run& r, uint32_t pc);
// The lookup alone, without cancelling anything; false when no region holds pc.
bool lookup_program(uint32_t pc);

// Sets the fetch window to the host positions of the region's image from
// which a whole instruction can be read directly (none for a null region).
void set_window(const program_region* reg);

// Moves the PC to a 68000 address after an absolute control transfer: looks
// the address up only when it lies outside the cached region.
inline void jump_to(Run& r, uint32_t target) {
    if (target < W.fetch_region_start || target > W.fetch_region_end) [[unlikely]] {
        basefunction(r, target);
    }
    r.pc = W.fetchbase + target;
}

// Cancels the rest of the slice; the cycles used so far still count.
inline void cancel_slice(Run& r) {
    r.R -= W.cycles_needed;
    W.cycles_needed = 0;
}

}  // namespace m68k
