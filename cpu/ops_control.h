// Program control and system instructions: branches, DBcc, JMP, JSR, RTS,
// RTR, RTE, TRAP, TRAPV, STOP, RESET, NOP and the exception opcodes.
#pragma once

#include "ops_common.h"

namespace m68k {

// Bcc, BRA, BSR with an 8-bit displacement (in the opcode) or a 16-bit one
// (in the extension word), relative to the word after the opcode.
template <Op KIND, unsigned CC, bool WORD>
inline Flow op_branch(Run& r, uint32_t op) {
    const uintptr_t base = r.pc;
    if constexpr (KIND == Op::Bsr) {
        uint32_t disp = WORD ? sign_extend<2>(fetch16(r)) : sign_extend<1>(op);
        push32(r, pc_address(r));
        r.pc = base + static_cast<int32_t>(disp);
        r.R -= 18;
    } else if constexpr (KIND == Op::Bra) {
        uint32_t disp = WORD ? sign_extend<2>(fetch16(r)) : sign_extend<1>(op);
        r.pc = base + static_cast<int32_t>(disp);
        r.R -= 10;
    } else if constexpr (WORD) {
        uint32_t disp = sign_extend<2>(fetch16(r));
        if (condition(CC)) {
            r.pc = base + static_cast<int32_t>(disp);
            r.R -= 10;
        } else {
            r.R -= 12;
        }
    } else {
        if (condition(CC)) {
            r.pc = base + static_cast<int32_t>(sign_extend<1>(op));
            r.R -= 10;
        } else {
            r.R -= 8;
        }
    }
    return Flow::Next;
}

template <unsigned CC>
inline Flow op_dbcc(Run& r, uint32_t op) {
    if (condition(CC)) {
        r.pc += 2;
        r.R -= 12;
        return Flow::Next;
    }
    unsigned n = op & 7;
    uint32_t count = (D(n) - 1) & 0xFFFF;
    write_dreg<2>(n, count);
    if (count != 0xFFFF) {
        r.pc += static_cast<int32_t>(sign_extend<2>(load16(r.pc)));
        r.R -= 10;
    } else {
        r.pc += 2;
        r.R -= 14;
    }
    return Flow::Next;
}

template <Ea E>
inline Flow op_jmp(Run& r, uint32_t op) {
    uint32_t target = locate<E, 4>(r, op & 7).addr;
    jump_to(r, target);
    r.R -= control_time<E>(8, 10, 14, 10, 12);
    return Flow::Next;
}

template <Ea E>
inline Flow op_jsr(Run& r, uint32_t op) {
    uint32_t target = locate<E, 4>(r, op & 7).addr;
    push32(r, pc_address(r));
    jump_to(r, target);
    r.R -= control_time<E>(16, 18, 22, 18, 20);
    return Flow::Next;
}

inline Flow op_rts(Run& r) {
    jump_to(r, pop32(r));
    r.R -= 16;
    return Flow::Next;
}

inline Flow op_rtr(Run& r) {
    uint32_t sp = A(7);
    uint16_t ccr = readmemoryword(r, sp);
    uint32_t target = readmemorydword(r, sp + 2);
    A(7) = sp + 6;
    ccr_unpack(static_cast<uint8_t>(ccr));
    jump_to(r, target);
    r.R -= 20;
    return Flow::Next;
}

inline Flow op_rte(Run& r) {
    if (!supervisor()) {
        privilege_violation(r);
        return Flow::Next;
    }
    uint32_t sp = A(7);
    uint16_t sr = readmemoryword(r, sp);
    uint32_t target = readmemorydword(r, sp + 2);
    set_sr(sr);
    if (supervisor()) A(7) += 6;
    else _s68000context.asp += 6;
    jump_to(r, target);
    r.R -= 20;
    return Flow::CheckPoint;
}

inline Flow op_trap(Run& r, uint32_t op) {
    exception(r, VEC_TRAP0 + (op & 15), pc_address(r));
    r.R -= EXCEPTION_CYCLES;
    return Flow::Next;
}

inline Flow op_trapv(Run& r) {
    if (W.v >> 31) {
        exception(r, VEC_TRAPV, pc_address(r));
        r.R -= 38;
    } else {
        r.R -= 4;
    }
    return Flow::Next;
}

// Illegal opcodes and the line 1010 and line 1111 emulator traps push the
// address of their own opcode.
template <unsigned VECTOR>
inline Flow op_exception(Run& r) {
    exception(r, VECTOR, opcode_address(r));
    r.R -= EXCEPTION_CYCLES;
    return Flow::Next;
}

inline Flow op_stop(Run& r) {
    if (!supervisor()) {
        privilege_violation(r);
        return Flow::Next;
    }
    set_sr(fetch16(r));
    _s68000context.interrupts[0] |= 1;
    r.R -= 4;
    if (r.R >= 0) r.R = -1;  // the rest of the slice counts as used
    return Flow::Quit;
}

inline Flow op_reset(Run& r) {
    if (!supervisor()) {
        privilege_violation(r);
        return Flow::Next;
    }
    s68000_reset_handler handler = _s68000context.resethandler;
    if (!handler) return Flow::Invalid;
    W.io_cycle_counter = r.R;
    W.io_fetchbase = W.fetchbase;
    W.io_fetchbased_pc = r.pc;
    handler();
    r.R = W.io_cycle_counter;
    invalidate_data_caches();  // the handler may have changed lists or records
    r.R -= 132;
    return Flow::Next;
}

inline Flow op_nop(Run& r) {
    r.R -= 4;
    return Flow::Next;
}

}  // namespace m68k
