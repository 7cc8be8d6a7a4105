// Watchpoints on data accesses, without any test on the access path.
//
// While armed, each data list pointer of the context points at a watching
// copy of the host's list: first a wrapper for every host record that a
// watched range touches, with the record's own bounds, then the host's list
// unchanged. A wrapper's handler performs the access exactly as the host's
// record would (image or handler, same byte lanes; it runs under the core's
// handler call protocol, which the host's handler then sees unchanged) and
// notes a watched access. Because a wrapper has its record's bounds, long
// accesses split their halves exactly where the host's list splits them. A
// record that overlaps a wrapped one and comes before it in the host's list
// is wrapped too, so that the first match in list order stays the host's.
//
// While the access hook is set, every record of every list is wrapped, and
// each wrapper reports its accesses to the hook as well.
//
// Every arming makes the copies from the host's current lists and the current
// watchpoints. A copy is never changed once made; copies are kept and shared
// by content, so a list address once installed never holds other records.
#include <algorithm>
#include <memory>
#include <vector>

#include "dispatch_table.h"
#include "memory.h"
#include "s68000_debug.h"

namespace m68k {

namespace {

struct Watch {
    uint32_t low, high;
    int kinds;
};

Watch watches[S68000_MAX_WATCHPOINTS];
int watch_count = 0;

struct Hit {
    bool noted = false;
    uint32_t address = 0;
    int kinds = 0;  // of the watchpoint
} hit;

// Notes the first access to bytes lo..hi that a watchpoint of `kind` covers,
// and ends the slice after the instruction.
void note(uint32_t lo, uint32_t hi, int kind) {
    if (hit.noted) return;
    for (int i = 0; i < watch_count; ++i) {
        const Watch& w = watches[i];
        if ((w.kinds & kind) && lo <= w.high && w.low <= hi) {
            hit = {true, std::max(lo, w.low), w.kinds};
            s68000releaseTimeslice();
            return;
        }
    }
}

data_region* host_record(const data_region* wrapper) { return static_cast<data_region*>(wrapper->user_data); }

uint32_t word_of(uint32_t a) { return a & ~1u; }

// Tells the access hook of an access just made.
void report(S68000AccessKind kind, uint8_t bytes, uint32_t a, uint32_t value) {
    if (access_hook) access_hook(S68000Access{kind, bytes, a & ADDRESS_MASK, value, access_pc, s68000readOdometer()});
}

uint32_t watch_read8(uint32_t a, data_region* wrapper) {
    const data_region* reg = host_record(wrapper);
    note(a, a, S68000_WATCH_READ);
    const uint32_t v = reg->handler ? reinterpret_cast<s68000_read_handler>(reg->handler)(a, host_record(wrapper))
                                    : direct_read8(reg, a);
    report(S68000AccessKind::Read, 1, a, v & 0xFF);
    return v;
}

uint32_t watch_read16(uint32_t a, data_region* wrapper) {
    const data_region* reg = host_record(wrapper);
    note(word_of(a), word_of(a) + 1, S68000_WATCH_READ);
    const uint32_t v = reg->handler ? reinterpret_cast<s68000_read_handler>(reg->handler)(a, host_record(wrapper))
                                    : direct_read16(reg, a);
    report(S68000AccessKind::Read, 2, a, v & 0xFFFF);
    return v;
}

void watch_write8(uint32_t a, uint32_t data, data_region* wrapper) {
    const data_region* reg = host_record(wrapper);
    note(a, a, S68000_WATCH_WRITE);
    if (reg->handler) reinterpret_cast<s68000_write_handler>(reg->handler)(a, data, host_record(wrapper));
    else direct_write8(reg, a, static_cast<uint8_t>(data));
    report(S68000AccessKind::Write, 1, a, data & 0xFF);
}

void watch_write16(uint32_t a, uint32_t data, data_region* wrapper) {
    const data_region* reg = host_record(wrapper);
    note(word_of(a), word_of(a) + 1, S68000_WATCH_WRITE);
    if (reg->handler) reinterpret_cast<s68000_write_handler>(reg->handler)(a, data, host_record(wrapper));
    else direct_write16(reg, a, static_cast<uint16_t>(data));
    report(S68000AccessKind::Write, 2, a, data & 0xFFFF);
}

// The four data lists of a mode, in context order, with what they serve.
enum Slot { READ_BYTE, READ_WORD, WRITE_BYTE, WRITE_WORD };
constexpr int SLOT_KIND[4] = {S68000_WATCH_READ, S68000_WATCH_READ, S68000_WATCH_WRITE, S68000_WATCH_WRITE};
const s68000_handler SLOT_HANDLER[4] = {
    reinterpret_cast<s68000_handler>(&watch_read8), reinterpret_cast<s68000_handler>(&watch_read16),
    reinterpret_cast<s68000_handler>(&watch_write8), reinterpret_cast<s68000_handler>(&watch_write16)};

// The watching copy of one host list for one slot. Copies are kept for the
// life of the process and shared by every arming that needs the same
// records, so that an address once installed never holds other records.
struct Copy {
    data_region* host;
    Slot slot;
    std::vector<data_region> records;  // what the context points at
};

constexpr size_t MAX_COPIES = 4096;
std::vector<std::unique_ptr<Copy>> copies;
bool armed = false;

bool overlap(const data_region& a, const data_region& b) {
    return a.low_address <= b.high_address && b.low_address <= a.high_address;
}

bool watched(const data_region& r, int kind) {
    if (access_hook) return true;
    for (int i = 0; i < watch_count; ++i)
        if ((watches[i].kinds & kind) && r.low_address <= watches[i].high && watches[i].low <= r.high_address)
            return true;
    return false;
}

bool same_record(const data_region& x, const data_region& y) {
    return x.low_address == y.low_address && x.high_address == y.high_address && x.handler == y.handler &&
           x.user_data == y.user_data;
}

// The records a watching list for `host` holds under the current watchpoints.
std::vector<data_region> watching_records(data_region* host, Slot slot) {
    size_t n = 0;  // records before the end record
    while (host[n].low_address != 0xFFFFFFFFu) ++n;
    std::vector<bool> wrap(n);
    for (size_t i = 0; i < n; ++i) wrap[i] = watched(host[i], SLOT_KIND[slot]);
    for (bool grew = true; grew;) {
        grew = false;
        for (size_t j = 0; j < n; ++j)
            for (size_t i = 0; i < j; ++i)
                if (wrap[j] && !wrap[i] && overlap(host[i], host[j])) wrap[i] = grew = true;
    }
    std::vector<data_region> records;
    for (size_t i = 0; i < n; ++i)
        if (wrap[i]) records.push_back({host[i].low_address, host[i].high_address, SLOT_HANDLER[slot], host + i});
    records.insert(records.end(), host, host + n + 1);
    return records;
}

data_region* watching(data_region* host, Slot slot) {
    if (!host) return nullptr;
    std::vector<data_region> records = watching_records(host, slot);
    for (auto& c : copies)
        if (c->host == host && c->slot == slot &&
            std::equal(c->records.begin(), c->records.end(), records.begin(), records.end(), same_record))
            return c->records.data();
    copies.push_back(std::make_unique<Copy>(Copy{host, slot, std::move(records)}));
    return copies.back()->records.data();
}

// The host's list behind a pointer of the context, which may be a copy.
data_region* host_of(data_region* list) {
    for (auto& c : copies)
        if (list == c->records.data()) return c->host;
    return list;
}

// The twelve data list pointers of the context, with their slots.
template <typename F>
void each_data_list(F f) {
    s68000context& c = _s68000context;
    data_region** lists[3][4] = {{&c.readbyte, &c.readword, &c.writebyte, &c.writeword},
                                 {&c.s_readbyte, &c.s_readword, &c.s_writebyte, &c.s_writeword},
                                 {&c.u_readbyte, &c.u_readword, &c.u_writebyte, &c.u_writeword}};
    for (auto& set : lists)
        for (int slot = 0; slot < 4; ++slot) f(*set[slot], static_cast<Slot>(slot));
}

bool valid_range(uint32_t address, uint32_t length, int kinds) {
    return length > 0 && address <= ADDRESS_MASK && length - 1 <= ADDRESS_MASK - address && kinds > 0 &&
           (kinds & ~(S68000_WATCH_READ | S68000_WATCH_WRITE)) == 0;
}

}  // namespace

}  // namespace m68k

using namespace m68k;

int s68000setWatchpoint(uint32_t address, uint32_t length, int kinds) {
    if (!valid_range(address, length, kinds)) return 2;
    const uint32_t high = address + length - 1;
    for (int i = 0; i < watch_count; ++i)
        if (watches[i].low == address && watches[i].high == high && watches[i].kinds == kinds) return 0;
    if (watch_count == S68000_MAX_WATCHPOINTS || copies.size() >= MAX_COPIES) return 1;
    watches[watch_count++] = {address, high, kinds};
    return 0;
}

int s68000clearWatchpoint(uint32_t address, uint32_t length, int kinds) {
    if (!valid_range(address, length, kinds)) return 1;
    const uint32_t high = address + length - 1;
    Watch* end = std::remove_if(watches, watches + watch_count, [&](const Watch& w) {
        return w.low == address && w.high == high && w.kinds == kinds;
    });
    if (end == watches + watch_count) return 1;
    watch_count = static_cast<int>(end - watches);
    return 0;
}

void s68000clearWatchpoints() { watch_count = 0; }

int s68000watchpointCount() { return watch_count; }

int s68000watchpointAt(int index, uint32_t* address, uint32_t* length, int* kinds) {
    if (index < 0 || index >= watch_count) return 1;
    const Watch& w = watches[index];
    *address = w.low;
    *length = w.high - w.low + 1;
    *kinds = w.kinds;
    return 0;
}

void s68000armWatchpoints() {
    if (armed || (watch_count == 0 && !access_hook)) return;
    each_data_list([](data_region*& list, Slot slot) { list = watching(list, slot); });
    armed = true;
}

void s68000disarmWatchpoints() {
    if (armed) each_data_list([](data_region*& list, Slot) { list = host_of(list); });
    armed = false;
}

bool s68000takeWatchHit(uint32_t* address, int* kinds) {
    if (!hit.noted) return false;
    *address = hit.address;
    *kinds = hit.kinds;
    hit = {};
    return true;
}
