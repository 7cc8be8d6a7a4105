// What every instruction family shares: how a handler ends, privilege checks.
#pragma once

#include "alu.h"
#include "exceptions.h"

namespace m68k {

// How an instruction hands on: to the next instruction, to the check point
// (after SR writes), to the quit point (STOP), or out of the slice because it
// cannot be executed (RESET without a reset handler).
enum class Flow : uint32_t { Next, CheckPoint, Quit, Invalid };

inline bool supervisor() { return _s68000context.sr & SR_S; }

// Address of the opcode word of an instruction whose extension words have not
// been read yet.
inline uint32_t opcode_address(const Run& r) { return pc_address(r) - 2; }

inline void privilege_violation(Run& r) {
    exception(r, VEC_PRIVILEGE, opcode_address(r));
    r.R -= EXCEPTION_CYCLES;
}

// Times of LEA, PEA, JMP and JSR by control mode: (An), d16(An), d8(An,Xn),
// abs.W, abs.L, d16(PC), d8(PC,Xn).
template <Ea E>
constexpr int control_time(int ind, int disp, int index, int absw, int absl) {
    switch (E) {
        case EA_IND: return ind;
        case EA_DISP:
        case EA_PCDISP: return disp;
        case EA_INDEX:
        case EA_PCINDEX: return index;
        case EA_ABSW: return absw;
        default: return absl;
    }
}

// Stack operations on the active stack pointer.
inline void push32(Run& r, uint32_t v) {
    uint32_t sp = A(7) - 4;
    A(7) = sp;
    writememorydword(r, sp, v);
}
inline uint32_t pop32(Run& r) {
    uint32_t sp = A(7);
    A(7) = sp + 4;
    return readmemorydword(r, sp);
}

}  // namespace m68k
