#include "memory.h"

#include <algorithm>
#include <utility>

namespace m68k {

namespace {

// Host memory [lo, hi) and [lo2, hi2) share a byte.
bool overlaps(uintptr_t lo, uintptr_t hi, uintptr_t lo2, uintptr_t hi2) { return lo < hi2 && lo2 < hi; }

// An empty entry: nothing hits it, and what it depended on no longer counts.
void clear_entry(DataCache& e) {
    e.limit = 0;
    e.long_limit = 0;
}

// Host memory that some cache entry depends on: the context's current data
// list pointers, and each entry's records.
bool touches_dependencies(uintptr_t lo, uintptr_t hi) {
    const s68000context& c = _s68000context;
    if (overlaps(lo, hi, reinterpret_cast<uintptr_t>(&c.readbyte), reinterpret_cast<uintptr_t>(&c.writeword + 1)))
        return true;
    for (const DataCache& e : W.data_cache)
        if (e.limit && overlaps(lo, hi, e.records_lo, e.records_hi)) return true;
    return false;
}

// Caches region `reg` of `list` in an entry of list k for the addresses
// lo..hi, where it is the list's first match.
void fill(DataList k, const data_region* list, const data_region* reg, uint32_t lo, uint32_t hi) {
    // Entries run from an even to an odd address: the byte at an offset from
    // lo then lies at the offset with its lowest bit inverted, and both
    // addresses of a word lie in the entry when its first one does.
    lo += lo & 1;
    if (hi <= lo) return;
    hi -= ~hi & 1;
    // A long is served from this image alone when its second word lies in
    // the region too (a + 2 <= high_address).
    uint32_t long_limit = 0;
    const uint32_t high = reg->high_address;
    if (high >= 3 && std::min(hi - 1, high - 3) >= lo) long_limit = std::min(hi - 1, high - 3) - lo + 1;

    // The new region goes to the first entry and the one there to the second;
    // but a read list's first entry keeps the region of the stack, which
    // compiled code reads most (read lists test their second entry inline).
    DataCache* target = &first_entry(k);
    if (target->limit) {
        const bool read = k == READ_BYTE || k == READ_WORD;
        const uint32_t stack = _s68000context.a7() & WORD_ADDRESS_MASK;
        if (read && stack - target->lo < target->limit) target = &second_entry(k);
        else second_entry(k) = *target;
    }
    DataCache& e = *target;
    e.lo = lo;
    e.limit = hi - lo + 1;
    e.long_limit = long_limit;
    e.at_lo = reinterpret_cast<uintptr_t>(reg->user_data) + (lo - reg->low_address);
    e.records_lo = reinterpret_cast<uintptr_t>(list);
    e.records_hi = reinterpret_cast<uintptr_t>(reg + 1);
    // Byte, word and long writes at lo..hi reach no further than these bytes.
    const bool writes = k == WRITE_BYTE || k == WRITE_WORD;
    e.writes_lo = writes ? e.at_lo : 0;
    e.writes_hi = writes ? e.at_lo + (hi - lo) + 4 : 0;
    // A write entry is kept only while none of its writes can land in memory
    // an entry depends on: such a write must take the search path, which
    // notices it.
    for (DataCache& w : W.data_cache)
        if (&w != &e && w.limit && overlaps(w.writes_lo, w.writes_hi, e.records_lo, e.records_hi)) clear_entry(w);
    if (writes && touches_dependencies(e.writes_lo, e.writes_hi)) clear_entry(e);
}

// A write that misses the first entry of its list but hits the second swaps
// them (writes test only the first entry inline); true when the first entry
// now serves the access at a (the word's address for word and long writes).
bool promote_second(DataList k, uint32_t a, bool is_long) {
    const DataCache& second = second_entry(k);
    if (a - second.lo >= (is_long ? second.long_limit : second.limit)) return false;
    std::swap(first_entry(k), second_entry(k));
    return true;
}

// A direct region that starts at an even and ends at an odd address: every
// word of its range lies whole inside its image.
bool well_formed(const data_region* r) { return ((r->low_address | ~r->high_address) & 1) == 0; }
uintptr_t image_pos(const data_region* r, uint32_t a) {
    return reinterpret_cast<uintptr_t>(r->user_data) + (a - r->low_address);
}

data_region* current_list(DataList k) {
    const s68000context& c = _s68000context;
    switch (k) {
        case READ_BYTE: return c.readbyte;
        case READ_WORD: return c.readword;
        case WRITE_BYTE: return c.writebyte;
        default: return c.writeword;
    }
}

// A slice of one instruction (a budget of 4 cycles or less: no instruction
// takes fewer), such as the monitor's single steps, or an access outside a
// slice, fills no cache entry: nothing would use it.
constexpr int32_t ONE_INSTRUCTION_BUDGET = 4;

// The first record of current list k whose range holds a (top 8 bits
// cleared), or null. A direct region with even..odd bounds becomes the list's
// cache entry, over the interval around a that no earlier record overlaps.
data_region* search(DataList k, uint32_t a) {
    data_region* const list = current_list(k);
    if (!list) return nullptr;
    uint32_t lo = 0;
    uint32_t hi = ADDRESS_MASK;
    for (data_region* p = list;; ++p) {
        if (p->low_address <= a && a <= p->high_address) {
            if (!p->handler && well_formed(p) && W.cycles_needed > ONE_INSTRUCTION_BUDGET)
                fill(k, list, p, std::max(lo, p->low_address), std::min(hi, p->high_address));
            return p;
        }
        if (p->low_address == 0xFFFFFFFFu) return nullptr;
        // p does not hold a: it lies wholly below or wholly above it.
        if (p->high_address < a) lo = std::max(lo, p->high_address + 1);
        else hi = std::min(hi, p->low_address - 1);
    }
}

// A direct write of the search path: one that lands in memory a cache entry
// depends on empties them all.
void written(uintptr_t pos, uintptr_t count) {
    if (touches_dependencies(pos, pos + count)) invalidate_data_caches();
}

// Handler call protocol: before the call the handler can see the remaining
// count and the live PC through the working fields; afterwards the count is
// taken back, since s68000releaseTimeslice and s68000interrupt change it. A
// handler may change lists, records or list pointers: the caches go.
uint32_t call_read(Run& r, data_region* reg, uint32_t a) {
    W.io_cycle_counter = r.R;
    W.io_fetchbase = W.fetchbase;
    W.io_fetchbased_pc = r.pc;
    uint32_t v = reinterpret_cast<s68000_read_handler>(reg->handler)(a, reg);
    r.R = W.io_cycle_counter;
    invalidate_data_caches();
    return v;
}

void call_write(Run& r, data_region* reg, uint32_t a, uint32_t data) {
    W.io_cycle_counter = r.R;
    W.io_fetchbase = W.fetchbase;
    W.io_fetchbased_pc = r.pc;
    reinterpret_cast<s68000_write_handler>(reg->handler)(a, data, reg);
    r.R = W.io_cycle_counter;
    invalidate_data_caches();
}

// Direct regions with odd bounds: the byte at address x sits at image position
// (x - low) ^ 1 and is served only when x lies in the region's range and that
// position inside its image.
bool odd_region_byte(const data_region* reg, uint32_t x, uintptr_t& pos) {
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
    if (!odd_region_byte(reg, a, pos)) return;
    store8(pos, v);
    written(pos, 1);
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

}  // namespace

uint8_t direct_read8(const data_region* reg, uint32_t a) {
    return well_formed(reg) ? load8(image_pos(reg, a ^ 1)) : odd_region_read8(reg, a);
}

void direct_write8(const data_region* reg, uint32_t a, uint8_t v) {
    if (!well_formed(reg)) return odd_region_write8(reg, a, v);
    const uintptr_t pos = image_pos(reg, a ^ 1);
    store8(pos, v);
    written(pos, 1);
}

uint16_t direct_read16(const data_region* reg, uint32_t a) {
    if (well_formed(reg)) return load16(image_pos(reg, a & ~1u));
    return odd_region_read16(reg, a);
}

void direct_write16(const data_region* reg, uint32_t a, uint16_t v) {
    if (!well_formed(reg)) return odd_region_write16(reg, a, v);
    const uintptr_t pos = image_pos(reg, a & ~1u);
    store16(pos, v);
    written(pos, 2);
}

namespace {

uint8_t read8(Run& r, uint32_t address) {
    W.access_address = address;
    const uint32_t a = address & ADDRESS_MASK;
    data_region* reg = search(READ_BYTE, a);
    if (!reg) return 0xFF;
    if (!reg->handler) return direct_read8(reg, a);
    return static_cast<uint8_t>(call_read(r, reg, a));
}

uint16_t read16(Run& r, uint32_t address) {
    W.access_address = address;
    const uint32_t a = address & ADDRESS_MASK;
    data_region* reg = search(READ_WORD, a);
    if (!reg) return 0xFFFF;
    if (!reg->handler) return direct_read16(reg, a);
    return static_cast<uint16_t>(call_read(r, reg, a));
}

// A long whose second word lies beyond the region of the first reads that
// word with a search of its own.
uint32_t read32(Run& r, uint32_t address) {
    W.access_address = address;
    const uint32_t a = address & ADDRESS_MASK;
    data_region* reg = search(READ_WORD, a);
    if (!reg) return 0xFFFFFFFFu;
    uint32_t hi;
    uint32_t lo;
    if (!reg->handler) {
        hi = direct_read16(reg, a);
        lo = (a + 2 <= reg->high_address) ? direct_read16(reg, a + 2) : readmemoryword(r, a + 2);
    } else {
        hi = call_read(r, reg, a) & 0xFFFF;
        lo = (a + 2 <= reg->high_address) ? call_read(r, reg, a + 2) & 0xFFFF : readmemoryword(r, a + 2);
    }
    return hi << 16 | lo;
}

void write8(Run& r, uint32_t address, uint32_t value) {
    W.access_address = address;
    const uint32_t a = address & ADDRESS_MASK;
    if (promote_second(WRITE_BYTE, a, false)) return writememorybyte(r, address, value);
    data_region* reg = search(WRITE_BYTE, a);
    if (!reg) return;
    if (reg->handler) return call_write(r, reg, a, value & 0xFF);
    direct_write8(reg, a, static_cast<uint8_t>(value));
}

void write16(Run& r, uint32_t address, uint32_t value) {
    W.access_address = address;
    const uint32_t a = address & ADDRESS_MASK;
    if (promote_second(WRITE_WORD, a & ~1u, false)) return writememoryword(r, address, value);
    data_region* reg = search(WRITE_WORD, a);
    if (!reg) return;
    if (reg->handler) return call_write(r, reg, a, value & 0xFFFF);
    direct_write16(reg, a, static_cast<uint16_t>(value));
}

// The two words of a long that fall apart are written one by one; the lower
// one even when the upper one is dropped.
void write32(Run& r, uint32_t address, uint32_t value) {
    W.access_address = address;
    const uint32_t a = address & ADDRESS_MASK;
    if (promote_second(WRITE_WORD, a & ~1u, true)) return writememorydword(r, address, value);
    data_region* reg = search(WRITE_WORD, a);
    const uint16_t hi = static_cast<uint16_t>(value >> 16);
    const uint16_t lo = static_cast<uint16_t>(value);
    if (!reg) return writememoryword(r, a + 2, lo);
    if (!reg->handler) {
        direct_write16(reg, a, hi);
        if (a + 2 <= reg->high_address) direct_write16(reg, a + 2, lo);
        else writememoryword(r, a + 2, lo);
    } else {
        call_write(r, reg, a, hi);
        if (a + 2 <= reg->high_address) call_write(r, reg, a + 2, lo);
        else writememoryword(r, a + 2, lo);
    }
}

}  // namespace

void invalidate_data_caches() {
    for (DataCache& e : W.data_cache) clear_entry(e);
}

void search_read8(uint32_t address, uintptr_t pc, int32_t R) {
    Run r{pc, R};
    W.searched_value = read8(r, address);
    W.searched_R = r.R;
}

void search_read16(uint32_t address, uintptr_t pc, int32_t R) {
    Run r{pc, R};
    W.searched_value = read16(r, address);
    W.searched_R = r.R;
}

void search_read32(uint32_t address, uintptr_t pc, int32_t R) {
    Run r{pc, R};
    W.searched_value = read32(r, address);
    W.searched_R = r.R;
}

void search_write8(uint32_t address, uint32_t value, uintptr_t pc, int32_t R) {
    Run r{pc, R};
    write8(r, address, value);
    W.searched_R = r.R;
}

void search_write16(uint32_t address, uint32_t value, uintptr_t pc, int32_t R) {
    Run r{pc, R};
    write16(r, address, value);
    W.searched_R = r.R;
}

void search_write32(uint32_t address, uint32_t value, uintptr_t pc, int32_t R) {
    Run r{pc, R};
    write32(r, address, value);
    W.searched_R = r.R;
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

void lookup_jump_target(uint32_t target, int32_t R) {
    Run r{0, R};
    basefunction(r, target);
    W.searched_R = r.R;
}

}  // namespace m68k
