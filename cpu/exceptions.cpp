#include "exceptions.h"

namespace m68k {

s68000_flow_hook flow_hook = nullptr;

void report_flow(S68000FlowKind kind, uint32_t from, uintptr_t pc, int32_t R, unsigned vector, unsigned level) {
    const s68000context& c = _s68000context;
    // The odometer as s68000readOdometer gives it, with the live count.
    const uint32_t cycles = static_cast<uint32_t>(W.cycles_needed) - static_cast<uint32_t>(R) - 1 -
                            static_cast<uint32_t>(W.cycles_leftover) + c.odometer;
    const uint32_t to = static_cast<uint32_t>(pc - W.fetchbase) & ADDRESS_MASK;
    flow_hook(S68000Flow{kind, static_cast<uint8_t>(vector), static_cast<uint8_t>(level), from & ADDRESS_MASK, to,
                         c.areg[7], cycles});
}

void install_lists(bool supervisor) {
    s68000context& c = _s68000context;
    invalidate_data_caches();
    if (supervisor) {
        c.fetch = c.s_fetch;
        c.readbyte = c.s_readbyte;
        c.readword = c.s_readword;
        c.writebyte = c.s_writebyte;
        c.writeword = c.s_writeword;
    } else {
        c.fetch = c.u_fetch;
        c.readbyte = c.u_readbyte;
        c.readword = c.u_readword;
        c.writebyte = c.u_writebyte;
        c.writeword = c.u_writeword;
    }
}

static void swap_stacks() {
    s68000context& c = _s68000context;
    uint32_t t = c.a7();
    c.a7() = c.asp;
    c.asp = t;
}

void set_sr(uint16_t value) {
    s68000context& c = _s68000context;
    value &= SR_VALID;
    if ((value ^ c.sr) & SR_S) {
        swap_stacks();
        install_lists(value & SR_S);
    }
    c.sr = value;
    ccr_unpack(static_cast<uint8_t>(value));
}

void exception(Run& r, unsigned vector, uint32_t pushed_pc, unsigned level) {
    s68000context& c = _s68000context;
    c.interrupts[0] &= ~1;  // an exception ends the stopped state
    // The vector is read before the switch, through the lists of the current mode.
    uint32_t target = readmemorydword(r, vector * 4);
    uint16_t old_sr = sr_value();
    if (!(c.sr & SR_S)) {
        swap_stacks();
        install_lists(true);
    }
    c.sr = (c.sr & 0x0700) | SR_S | ccr_pack();
    W.trace_trickybit = 0;
    uint32_t sp = c.a7();
    writememorydword(r, sp - 4, pushed_pc);
    writememoryword(r, sp - 6, old_sr);
    c.a7() = sp - 6;
    jump_to(r, target);
    if (flow_hooked()) [[unlikely]]
        report_flow(S68000FlowKind::Exception, pushed_pc, r.pc, r.R, vector, level);
}

bool accept_interrupt(Run& r) {
    s68000context& c = _s68000context;
    unsigned mask = (c.sr >> 8) & 7;
    for (unsigned level = 7; level >= 1; --level) {
        if (level != 7 && level <= mask) break;
        if (!(c.interrupts[0] & (1u << level))) continue;
        c.interrupts[0] &= static_cast<uint8_t>(~(1u << level));
        exception(r, c.interrupts[level], pc_address(r), level);
        c.sr = static_cast<uint16_t>((c.sr & ~0x0700u) | level << 8);
        r.R -= INTERRUPT_CYCLES;
        return true;
    }
    return false;
}

}  // namespace m68k
