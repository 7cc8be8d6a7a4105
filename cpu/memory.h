// Memory access dispatch: operand reads and writes through the current data
// region lists, and the program region lookup for the PC.
//
// Every data access is served by the first record of its list, in list order,
// whose range holds the address. Direct regions are read and written in the
// memory image format; handler regions get the address with its top 8 bits
// cleared. Unmapped reads give all ones and unmapped writes are dropped.
//
// Fast path. Each current data list has two cache entries (W.data_cache),
// each a direct region with even..odd bounds that the list served, over an
// interval around the searched address where no earlier record of the list
// overlaps it. An access inside that interval goes straight to the image: it
// is exactly what the search would have found. Reads test both entries,
// writes the first (a write that hits the second swaps them). Everything
// else (a miss, handler regions, regions with odd bounds, unmapped
// addresses, longs whose second word lies beyond the region) takes the
// search path, which refills an entry. The entries are emptied whenever what
// they were derived from may have changed:
// - at the start of s68000exec and s68000flushInterrupts, so nothing the host
//   did between calls (new list pointers, records rewritten in place,
//   SetContext, reset) reaches a slice; also at SetContext and reset;
// - when the core installs the other mode's lists (SR writes, exceptions);
// - after every call of a data handler or the reset handler, which may change
//   lists, records or pointers while a slice runs;
// - when a direct write of the search path lands in host memory an entry
//   depends on (its list's records up to the region found, the context's
//   current list pointers). A write entry is never kept while its own writes
//   could land there, so such writes always take the search path.
// Only which entry holds a region depends on anything else (a read list's
// first entry keeps the region of the stack pointer); results never do.
#pragma once

#include <optional>

#include "core_state.h"

namespace m68k {

constexpr uint32_t ADDRESS_MASK = 0x00FFFFFF;

inline program_region* find_program(program_region* p, uint32_t a) {
    if (!p) return nullptr;
    for (;; ++p) {
        if (p->low_address <= a && a <= p->high_address) return p;
        if (p->low_address == 0xFFFFFFFFu) return nullptr;
    }
}

// Empties every data cache entry.
void invalidate_data_caches();

// The byte or word (bit 0 ignored) at a of a direct region, exactly as the
// search path serves it, odd bounds included; writes keep the cache entries
// right. For code that serves a region in the core's place (watchpoints).
uint8_t direct_read8(const data_region* reg, uint32_t a);
void direct_write8(const data_region* reg, uint32_t a, uint8_t v);
uint16_t direct_read16(const data_region* reg, uint32_t a);
void direct_write16(const data_region* reg, uint32_t a, uint16_t v);

// The search path: the complete access through the current list, which
// may also fill one of the list's cache entries. It takes the live PC and remaining
// count for handler calls under the call protocol and leaves the count in
// W.searched_R (a handler may end the slice or set cycles aside; the PC does
// not move) and a value read in W.searched_value. Its entry points keep every
// register of the caller (preserve_most), so the instruction handlers keep
// their state in registers on the fast path and save nothing for a call they
// seldom make. (Results go through memory: clang 14 restores RAX on return
// from a preserve_most function.) WebAssembly has no such convention.
#ifdef __wasm__
#define M68K_SEARCH_PATH
#else
#define M68K_SEARCH_PATH __attribute__((preserve_most))
#endif
M68K_SEARCH_PATH void search_read8(uint32_t address, uintptr_t pc, int32_t R);
M68K_SEARCH_PATH void search_read16(uint32_t address, uintptr_t pc, int32_t R);
M68K_SEARCH_PATH void search_read32(uint32_t address, uintptr_t pc, int32_t R);
M68K_SEARCH_PATH void search_write8(uint32_t address, uint32_t value, uintptr_t pc, int32_t R);
M68K_SEARCH_PATH void search_write16(uint32_t address, uint32_t value, uintptr_t pc, int32_t R);
M68K_SEARCH_PATH void search_write32(uint32_t address, uint32_t value, uintptr_t pc, int32_t R);

// The result of a search-path read.
inline uint32_t searched(Run& r) {
    r.R = W.searched_R;
    return W.searched_value;
}

// The word a word or long access at an address acts on (bit 0 ignored).
constexpr uint32_t WORD_ADDRESS_MASK = 0x00FFFFFE;

inline DataCache& first_entry(DataList k) { return W.data_cache[k]; }
inline DataCache& second_entry(DataList k) { return W.data_cache[DATA_LISTS + k]; }

// Serves an access at a (the address of the word for word and long
// accesses) from the first entry of list k that holds it, testing the
// second entry too when BOTH is set (read lists: programs alternate between
// RAM and tables in ROM). `access` gets the host position of the entry's
// first address and a's offset from it. Empty when no entry holds a.
template <bool LONG, bool BOTH, typename Access>
inline auto from_cache(DataList k, uint32_t a, Access access) -> std::optional<decltype(access(0, 0))> {
    const DataCache& first = first_entry(k);
    const uintptr_t offset = a - first.lo;
    if (offset < (LONG ? first.long_limit : first.limit)) [[likely]]
        return access(first.at_lo, offset);
    if constexpr (BOTH) {
        const DataCache& second = second_entry(k);
        const uintptr_t offset2 = a - second.lo;
        if (offset2 < (LONG ? second.long_limit : second.limit)) return access(second.at_lo, offset2);
    }
    return std::nullopt;
}

// A long in the memory image format: the host's 32-bit value at the word's
// position holds the upper word in its low half (the host is little-endian).
inline uint32_t load_long(uintptr_t p) {
    uint32_t v;
    std::memcpy(&v, reinterpret_cast<const void*>(p), 4);
    return v << 16 | v >> 16;
}
inline void store_long(uintptr_t p, uint32_t v) {
    const uint32_t host = v << 16 | v >> 16;
    std::memcpy(reinterpret_cast<void*>(p), &host, 4);
}

// The byte at an offset from an even address lies at the offset with its
// lowest bit inverted.
inline uint8_t readmemorybyte(Run& r, uint32_t address) {
    auto byte = [](uintptr_t at, uintptr_t offset) { return load8(at + (offset ^ 1)); };
    if (auto v = from_cache<false, true>(READ_BYTE, address & ADDRESS_MASK, byte)) [[likely]]
        return *v;
    search_read8(address, r.pc, r.R);
    return static_cast<uint8_t>(searched(r));
}

inline uint16_t readmemoryword(Run& r, uint32_t address) {
    auto word = [](uintptr_t at, uintptr_t offset) { return load16(at + offset); };
    if (auto v = from_cache<false, true>(READ_WORD, address & WORD_ADDRESS_MASK, word)) [[likely]]
        return *v;
    search_read16(address, r.pc, r.R);
    return static_cast<uint16_t>(searched(r));
}

inline uint32_t readmemorydword(Run& r, uint32_t address) {
    auto lng = [](uintptr_t at, uintptr_t offset) { return load_long(at + offset); };
    if (auto v = from_cache<true, true>(READ_WORD, address & WORD_ADDRESS_MASK, lng)) [[likely]]
        return *v;
    search_read32(address, r.pc, r.R);
    return searched(r);
}

inline void writememorybyte(Run& r, uint32_t address, uint32_t value) {
    auto byte = [=](uintptr_t at, uintptr_t offset) { return store8(at + (offset ^ 1), static_cast<uint8_t>(value)), 0; };
    if (from_cache<false, false>(WRITE_BYTE, address & ADDRESS_MASK, byte)) [[likely]]
        return;
    search_write8(address, value, r.pc, r.R);
    r.R = W.searched_R;
}

inline void writememoryword(Run& r, uint32_t address, uint32_t value) {
    auto word = [=](uintptr_t at, uintptr_t offset) { return store16(at + offset, static_cast<uint16_t>(value)), 0; };
    if (from_cache<false, false>(WRITE_WORD, address & WORD_ADDRESS_MASK, word)) [[likely]]
        return;
    search_write16(address, value, r.pc, r.R);
    r.R = W.searched_R;
}

inline void writememorydword(Run& r, uint32_t address, uint32_t value) {
    auto lng = [=](uintptr_t at, uintptr_t offset) { return store_long(at + offset, value), 0; };
    if (from_cache<true, false>(WRITE_WORD, address & WORD_ADDRESS_MASK, lng)) [[likely]]
        return;
    search_write32(address, value, r.pc, r.R);
    r.R = W.searched_R;
}

// Program region lookup for a PC. On success the region is cached and the
// fetch base set; on failure the cache is emptied, bit 1 of execinfo set and
// the current slice cancelled (the odometer still gets the cycles used).
bool basefunction(Run& r, uint32_t pc);
// basefunction after a jump, keeping the caller's registers; leaves the
// remaining count in W.searched_R.
M68K_SEARCH_PATH void lookup_jump_target(uint32_t target, int32_t R);
// The lookup alone, without cancelling anything; false when no region holds pc.
bool lookup_program(uint32_t pc);

// Sets the fetch window to the host positions of the region's image from
// which a whole instruction can be read directly (none for a null region).
void set_window(const program_region* reg);

// Moves the PC to a 68000 address after an absolute control transfer: looks
// the address up only when it lies outside the cached region.
inline void jump_to(Run& r, uint32_t target) {
    if (target < W.fetch_region_start || target > W.fetch_region_end) [[unlikely]] {
        lookup_jump_target(target, r.R);
        r.R = W.searched_R;
    }
    r.pc = W.fetchbase + target;
}

// Cancels the rest of the slice; the cycles used so far still count.
inline void cancel_slice(Run& r) {
    r.R -= W.cycles_needed;
    W.cycles_needed = 0;
}

}  // namespace m68k
