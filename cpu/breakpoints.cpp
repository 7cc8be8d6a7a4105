// Breakpoints and the access hook's executions. While no breakpoint is set
// and no access hook, the dispatch table holds the instruction handlers and
// nothing is checked. Otherwise every entry of the table holds the check
// below, which compares the instruction's address with the breakpoints and
// either leaves the slice through the "instruction could not run" exit or
// reports the execution to the hook and goes on to the real handler, kept in
// a copy of the table.
#include <algorithm>
#include <iterator>

#include "dispatch_table.h"
#include "memory.h"
#include "run_loop.h"
#include "s68000_debug.h"

namespace m68k {

namespace {

constexpr uint32_t NO_ADDRESS = 0xFFFFFFFFu;  // never a 24-bit address

Handler handlers[65536];  // the real table while the check is in place
uint32_t addresses[S68000_MAX_BREAKPOINTS];
int count = 0;
// One bit per address class ((address >> 1) & 4095): most instructions are
// passed by a single test.
uint64_t filter[64];
uint32_t step_over = NO_ADDRESS;
bool stopped_at_breakpoint = false;

bool filtered(uint32_t a) { return filter[(a >> 7) & 63] >> ((a >> 1) & 63) & 1; }

void rebuild_filter() {
    std::fill(std::begin(filter), std::end(filter), 0);
    for (int i = 0; i < count; ++i) {
        const uint32_t a = addresses[i];
        filter[(a >> 7) & 63] |= uint64_t{1} << ((a >> 1) & 63);
    }
}

bool listed(uint32_t a) { return std::find(addresses, addresses + count, a) != addresses + count; }

}  // namespace

s68000_access_hook access_hook = nullptr;
uint32_t access_pc = 0;

// The check in every table entry: `pc` is the host position past the opcode.
void breakpoint_check(uint32_t op, uintptr_t pc, int32_t R) M68K_HIDDEN;
void breakpoint_check(uint32_t op, uintptr_t pc, int32_t R) {
    const uint32_t a = (static_cast<uint32_t>(pc - W.fetchbase) - 2) & ADDRESS_MASK;
    const uint32_t passed = step_over;
    step_over = NO_ADDRESS;  // only the first instruction may be stepped over
    if (filtered(a) && a != passed && listed(a)) [[unlikely]] {
        stopped_at_breakpoint = true;
        M68K_MUSTTAIL return invalid_exit(op, pc, R);
    }
    if (access_hook) {
        access_pc = a;
        // The odometer as s68000readOdometer gives it, with the live count.
        const uint32_t cycles = static_cast<uint32_t>(W.cycles_needed) - static_cast<uint32_t>(R) - 1 -
                                static_cast<uint32_t>(W.cycles_leftover) + _s68000context.odometer;
        access_hook(S68000Access{S68000AccessKind::Execute, 2, a, op, a, cycles});
    }
    M68K_MUSTTAIL return handlers[op](op, pc, R);
}

namespace {

bool check_in_place() { return jmptbl[0] == &breakpoint_check; }

void put_check_in_place() {
    if (check_in_place()) return;
    std::copy(std::begin(jmptbl), std::end(jmptbl), handlers);
    std::fill(std::begin(jmptbl), std::end(jmptbl), &breakpoint_check);
}

void take_check_away() {
    if (check_in_place()) std::copy(std::begin(handlers), std::end(handlers), jmptbl);
    step_over = NO_ADDRESS;
}

}  // namespace

void update_dispatch_check() {
    if (count || access_hook) put_check_in_place();
    else take_check_away();
}

Handler* dispatch_entries() { return check_in_place() ? handlers : jmptbl; }

}  // namespace m68k

using namespace m68k;

int s68000setBreakpoint(uint32_t address) {
    address &= ADDRESS_MASK;
    if (!listed(address)) {
        if (count == S68000_MAX_BREAKPOINTS) return 1;
        addresses[count++] = address;
        rebuild_filter();
    }
    // Also after s68000init, which rebuilds the table without the check.
    put_check_in_place();
    return 0;
}

int s68000clearBreakpoint(uint32_t address) {
    address &= ADDRESS_MASK;
    uint32_t* end = std::remove(addresses, addresses + count, address);
    if (end == addresses + count) return 1;
    count = static_cast<int>(end - addresses);
    rebuild_filter();
    update_dispatch_check();
    return 0;
}

void s68000clearBreakpoints() {
    count = 0;
    rebuild_filter();
    update_dispatch_check();
}

int s68000breakpointCount() { return count; }

int s68000breakpointAt(int index, uint32_t* address) {
    if (index < 0 || index >= m68k::count) return 1;
    *address = m68k::addresses[index];
    return 0;
}

bool s68000takeBreakpointStop() {
    const bool stopped = stopped_at_breakpoint;
    stopped_at_breakpoint = false;
    return stopped;
}

void s68000stepOverBreakpoint(uint32_t address) {
    if (count) step_over = address & ADDRESS_MASK;
}

void s68000setAccessHook(s68000_access_hook hook) {
    m68k::access_hook = hook;
    m68k::update_dispatch_check();
}

s68000_access_hook s68000accessHook() { return m68k::access_hook; }
