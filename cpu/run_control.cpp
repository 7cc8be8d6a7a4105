// Running under a debugger: slices through breakpoints and single steps
// between places, so that a debugger's stops never change what runs.
#include "s68000.h"
#include "s68000_debug.h"

uint32_t s68000execThrough(int32_t cycles, uint32_t* hits) {
    const bool watch = hits && s68000watchpointCount() > 0;
    const uint32_t start = s68000readOdometer();
    int32_t left = cycles;
    for (;;) {
        s68000takeBreakpointStop();
        if (watch) s68000armWatchpoints();
        const uint32_t code = s68000exec(left);
        if (watch) s68000disarmWatchpoints();
        uint32_t address;
        int kinds;
        const bool watched = watch && s68000takeWatchHit(&address, &kinds);
        const bool atBreakpoint = s68000takeBreakpointStop() && s68000exitIsAddress(code);
        if (hits) *hits += static_cast<uint32_t>(watched) + static_cast<uint32_t>(atBreakpoint);
        // Only a breakpoint or a watched access ends a slice that one
        // s68000exec would have run on; the rest of the budget runs now.
        if (atBreakpoint) s68000stepOverBreakpoint(_s68000context.pc);
        else if (!watched || code != S68000_EXIT_OK) return code;
        left = cycles - static_cast<int32_t>(s68000readOdometer() - start);
        if (left <= 0) return code;
    }
}

S68000Step s68000step(S68000StepHit& hit) {
    hit = {};
    const s68000context& c = _s68000context;
    const uint32_t before = s68000readOdometer(), pc = c.pc;
    s68000flushInterrupts();
    if (s68000readOdometer() != before || c.pc != pc) return S68000Step::Interrupt;
    if (c.interrupts[0] & 1) return (c.pc & 1) ? S68000Step::Stuck : S68000Step::Idle;
    s68000stepOverBreakpoint(pc);
    hit.breakpoint = false;
    for (int i = 0; i < s68000breakpointCount(); ++i) {
        uint32_t address;
        if (s68000breakpointAt(i, &address) == 0 && address == (pc & 0xFFFFFF)) hit.breakpoint = true;
    }
    const bool watch = s68000watchpointCount() > 0;
    if (watch) s68000armWatchpoints();
    s68000exec(1);
    if (watch) s68000disarmWatchpoints();
    hit.watched = watch && s68000takeWatchHit(&hit.address, &hit.kinds);
    s68000takeBreakpointStop();
    if (s68000readOdometer() == before && c.pc == pc) {
        hit.breakpoint = false;
        return S68000Step::Stuck;
    }
    return S68000Step::Instruction;
}
