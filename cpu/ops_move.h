// Data movement: MOVE, MOVEA, MOVEQ, MOVEM, MOVEP, LEA, PEA, EXG, SWAP, EXT,
// LINK, UNLK, CLR, TST, Scc, TAS and the moves of SR, CCR and USP.
#pragma once

#include <bit>

#include "ops_common.h"

namespace m68k {

template <int S, Ea SRC, Ea DST, unsigned DREG>
inline Flow op_move(Run& r, uint32_t op) {
    uint32_t v = read_ea<SRC, S>(r, op & 7);
    Loc d = locate<DST, S>(r, DREG);
    store<DST, S>(r, d, v);
    flags_logic<S>(v);
    r.R -= 4 + ea_time<SRC, S>() + move_dst_time<DST, S>();
    return Flow::Next;
}

template <int S, Ea SRC, unsigned AREG>
inline Flow op_movea(Run& r, uint32_t op) {
    A(AREG) = sign_extend<S>(read_ea<SRC, S>(r, op & 7));
    r.R -= 4 + ea_time<SRC, S>();
    return Flow::Next;
}

template <unsigned DREG>
inline Flow op_moveq(Run& r, uint32_t op) {
    uint32_t v = sign_extend<1>(op);
    D(DREG) = v;
    flags_logic<4>(v);
    r.R -= 4;
    return Flow::Next;
}

template <Ea E, unsigned AREG>
inline Flow op_lea(Run& r, uint32_t op) {
    A(AREG) = locate<E, 4>(r, op & 7).addr;
    r.R -= control_time<E>(4, 8, 12, 8, 12);
    return Flow::Next;
}

template <Ea E>
inline Flow op_pea(Run& r, uint32_t op) {
    uint32_t a = locate<E, 4>(r, op & 7).addr;
    push32(r, a);
    r.R -= control_time<E>(12, 16, 20, 16, 20);
    return Flow::Next;
}

// kind 0: EXG Dx,Dy; 1: EXG Ax,Ay; 2: EXG Dx,Ay.
template <unsigned KIND, unsigned RX>
inline Flow op_exg(Run& r, uint32_t op) {
    unsigned ry = op & 7;
    uint32_t& x = KIND == 1 ? A(RX) : D(RX);
    uint32_t& y = KIND == 0 ? D(ry) : A(ry);
    uint32_t t = x;
    x = y;
    y = t;
    r.R -= 6;
    return Flow::Next;
}

inline Flow op_swap(Run& r, uint32_t op) {
    uint32_t v = D(op & 7);
    v = v >> 16 | v << 16;
    D(op & 7) = v;
    flags_logic<4>(v);
    r.R -= 4;
    return Flow::Next;
}

template <int S>
inline Flow op_ext(Run& r, uint32_t op) {
    unsigned n = op & 7;
    if constexpr (S == 2) {
        uint32_t v = sign_extend<1>(D(n)) & 0xFFFF;
        write_dreg<2>(n, v);
        flags_logic<2>(v);
    } else {
        uint32_t v = sign_extend<2>(D(n));
        D(n) = v;
        flags_logic<4>(v);
    }
    r.R -= 4;
    return Flow::Next;
}

inline Flow op_link(Run& r, uint32_t op) {
    unsigned n = op & 7;
    uint32_t disp = sign_extend<2>(fetch16(r));
    uint32_t sp = A(7) - 4;
    A(7) = sp;
    writememorydword(r, sp, A(n));  // for A7 this is the lowered value
    A(n) = sp;
    A(7) += disp;
    r.R -= 16;
    return Flow::Next;
}

inline Flow op_unlk(Run& r, uint32_t op) {
    unsigned n = op & 7;
    uint32_t sp = A(n);
    uint32_t v = readmemorydword(r, sp);
    A(7) = sp + 4;
    A(n) = v;
    r.R -= 12;
    return Flow::Next;
}

template <bool TO_USP>
inline Flow op_move_usp(Run& r, uint32_t op) {
    if (!supervisor()) {
        privilege_violation(r);
        return Flow::Next;
    }
    if constexpr (TO_USP) _s68000context.asp = A(op & 7);
    else A(op & 7) = _s68000context.asp;
    r.R -= 4;
    return Flow::Next;
}

template <int S, Ea E>
inline Flow op_clr(Run& r, uint32_t op) {
    Loc l = locate<E, S>(r, op & 7);
    store<E, S>(r, l, 0);
    W.n = 0;
    W.z = 0;
    W.v = 0;
    W.c = 0;
    if constexpr (E == EA_DN) r.R -= S == 4 ? 8 : 4;
    else r.R -= (S == 4 ? 12 : 6) + ea_time<E, S>();
    return Flow::Next;
}

template <int S, Ea E>
inline Flow op_tst(Run& r, uint32_t op) {
    flags_logic<S>(read_ea<E, S>(r, op & 7));
    r.R -= 4 + ea_time<E, S>();
    return Flow::Next;
}

template <Ea E, unsigned CC>
inline Flow op_scc(Run& r, uint32_t op) {
    Loc l = locate<E, 1>(r, op & 7);
    bool t = condition(CC);
    store<E, 1>(r, l, t ? 0xFF : 0x00);
    if constexpr (E == EA_DN) r.R -= t ? 6 : 4;
    else r.R -= 8 + ea_time<E, 1>();
    return Flow::Next;
}

template <Ea E>
inline Flow op_tas(Run& r, uint32_t op) {
    Loc l = locate<E, 1>(r, op & 7);
    uint32_t v = load<E, 1>(r, l);
    flags_logic<1>(v);
    store<E, 1>(r, l, v | 0x80);
    r.R -= E == EA_DN ? 4 : 10 + ea_time<E, 1>();
    return Flow::Next;
}

template <Ea E>
inline Flow op_move_from_sr(Run& r, uint32_t op) {
    Loc l = locate<E, 2>(r, op & 7);
    store<E, 2>(r, l, sr_value());
    r.R -= E == EA_DN ? 6 : 8 + ea_time<E, 2>();
    return Flow::Next;
}

template <Ea E>
inline Flow op_move_to_ccr(Run& r, uint32_t op) {
    ccr_unpack(static_cast<uint8_t>(read_ea<E, 2>(r, op & 7)));
    r.R -= 12 + ea_time<E, 2>();
    return Flow::Next;
}

template <Ea E>
inline Flow op_move_to_sr(Run& r, uint32_t op) {
    if (!supervisor()) {
        privilege_violation(r);
        return Flow::Next;
    }
    set_sr(static_cast<uint16_t>(read_ea<E, 2>(r, op & 7)));
    r.R -= 12 + ea_time<E, 2>();
    return Flow::CheckPoint;
}

// Register n of a MOVEM register list: D0 to D7, then A0 to A7.
inline uint32_t movem_register(unsigned reg) { return reg < 8 ? D(reg) : A(reg - 8); }

// MOVEM registers to memory. In the predecrement form the mask runs from A7
// (bit 0) to D0 (bit 15) and the registers are stored at descending addresses,
// each with its value from before the instruction.
template <int S, Ea E>
inline Flow op_movem_to_mem(Run& r, uint32_t op) {
    const uint32_t mask = fetch16(r);
    const unsigned n = op & 7;
    int count = 0;
    if constexpr (E == EA_PRE) {
        uint32_t a = A(n);
        for (uint32_t m = mask; m; m &= m - 1, ++count) {
            a -= S;
            write_mem<S>(r, a, movem_register(15 - std::countr_zero(m)));
        }
        A(n) = a;
        r.R -= 8 + count * (S == 4 ? 8 : 4);
    } else {
        uint32_t a = locate<E, S>(r, n).addr;
        for (uint32_t m = mask; m; m &= m - 1, ++count) {
            write_mem<S>(r, a, movem_register(std::countr_zero(m)));
            a += S;
        }
        r.R -= control_time<E>(8, 12, 14, 12, 16) + count * (S == 4 ? 8 : 4);
    }
    return Flow::Next;
}

// MOVEM memory to registers: D0 (bit 0) to A7 (bit 15) from ascending
// addresses, words sign-extended; (An)+ writes the final address back last.
template <int S, Ea E>
inline Flow op_movem_to_reg(Run& r, uint32_t op) {
    const uint32_t mask = fetch16(r);
    const unsigned n = op & 7;
    uint32_t a = E == EA_POST ? A(n) : locate<E, S>(r, n).addr;
    int count = 0;
    for (uint32_t m = mask; m; m &= m - 1, ++count) {
        const unsigned reg = std::countr_zero(m);
        const uint32_t v = sign_extend<S>(read_mem<S>(r, a));
        if (reg < 8) D(reg) = v;
        else A(reg - 8) = v;
        a += S;
    }
    if constexpr (E == EA_POST) {
        A(n) = a;
        r.R -= 12 + count * (S == 4 ? 8 : 4);
    } else {
        r.R -= control_time<E>(12, 16, 18, 16, 20) + count * (S == 4 ? 8 : 4);
    }
    return Flow::Next;
}

// MOVEP: bytes at every second address from d16(An), highest-order first.
template <int S, bool TO_MEM, unsigned DREG>
inline Flow op_movep(Run& r, uint32_t op) {
    uint32_t a = A(op & 7) + sign_extend<2>(fetch16(r));
    if constexpr (TO_MEM) {
        uint32_t v = D(DREG);
        for (int i = S - 1; i >= 0; --i, a += 2) writememorybyte(r, a, (v >> (8 * i)) & 0xFF);
    } else {
        uint32_t v = 0;
        for (int i = 0; i < S; ++i, a += 2) v = v << 8 | readmemorybyte(r, a);
        write_dreg<S>(DREG, v);
    }
    r.R -= S == 4 ? 24 : 16;
    return Flow::Next;
}

}  // namespace m68k
