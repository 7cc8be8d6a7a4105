// Integer and decimal arithmetic: ADD, SUB, CMP and their address, immediate,
// quick and extended forms, NEG, NEGX, MULU, MULS, DIVU, DIVS, CHK, ABCD,
// SBCD, NBCD.
#pragma once

#include <bit>

#include "ops_common.h"

namespace m68k {

enum class Arith { Add, Sub, Cmp };

template <Arith K, int S>
inline uint32_t arith(uint32_t dst, uint32_t src) {
    if constexpr (K == Arith::Add) return add_op<S>(dst, src);
    else if constexpr (K == Arith::Sub) return sub_op<S>(dst, src);
    else return sub_op<S, false>(dst, src);
}

// ADD/SUB/CMP <ea>,Dn
template <Arith K, int S, Ea E, unsigned DREG>
inline Flow op_arith_to_reg(Run& r, uint32_t op) {
    uint32_t src = read_ea<E, S>(r, op & 7);
    uint32_t res = arith<K, S>(D(DREG) & Size<S>::mask, src);
    if constexpr (K != Arith::Cmp) write_dreg<S>(DREG, res);
    if constexpr (S != 4) r.R -= 4 + ea_time<E, S>();
    else if constexpr (K == Arith::Cmp) r.R -= 6 + ea_time<E, S>();
    else r.R -= ((E == EA_DN || E == EA_AN || E == EA_IMM) ? 8 : 6) + ea_time<E, S>();
    return Flow::Next;
}

// ADD/SUB Dn,<ea>
template <Arith K, int S, Ea E, unsigned DREG>
inline Flow op_arith_to_mem(Run& r, uint32_t op) {
    Loc l = locate<E, S>(r, op & 7);
    uint32_t res = arith<K, S>(load<E, S>(r, l), D(DREG) & Size<S>::mask);
    store<E, S>(r, l, res);
    r.R -= (S == 4 ? 12 : 8) + ea_time<E, S>();
    return Flow::Next;
}

// ADDA, SUBA, CMPA: word sources are sign-extended; all 32 bits take part.
template <Arith K, int S, Ea E, unsigned AREG>
inline Flow op_arith_address(Run& r, uint32_t op) {
    uint32_t src = sign_extend<S>(read_ea<E, S>(r, op & 7));
    if constexpr (K == Arith::Add) {
        A(AREG) += src;
    } else if constexpr (K == Arith::Sub) {
        A(AREG) -= src;
    } else {
        sub_op<4, false>(A(AREG), src);
    }
    if constexpr (K == Arith::Cmp) r.R -= 6 + ea_time<E, S>();
    else if constexpr (S == 2) r.R -= 8 + ea_time<E, S>();
    else r.R -= ((E == EA_DN || E == EA_AN || E == EA_IMM) ? 8 : 6) + ea_time<E, S>();
    return Flow::Next;
}

// ADDI, SUBI, CMPI
template <Arith K, int S, Ea E>
inline Flow op_arith_imm(Run& r, uint32_t op) {
    uint32_t imm = locate<EA_IMM, S>(r, 0).addr;
    Loc l = locate<E, S>(r, op & 7);
    uint32_t res = arith<K, S>(load<E, S>(r, l), imm);
    if constexpr (K != Arith::Cmp) store<E, S>(r, l, res);
    if constexpr (K == Arith::Cmp) {
        if constexpr (E == EA_DN) r.R -= S == 4 ? 14 : 8;
        else r.R -= (S == 4 ? 12 : 8) + ea_time<E, S>();
    } else {
        if constexpr (E == EA_DN) r.R -= S == 4 ? 16 : 8;
        else r.R -= (S == 4 ? 20 : 12) + ea_time<E, S>();
    }
    return Flow::Next;
}

// ADDQ, SUBQ (to an address register: all 32 bits, no flags)
template <Arith K, int S, Ea E, unsigned DATA>
inline Flow op_quick(Run& r, uint32_t op) {
    constexpr uint32_t q = DATA ? DATA : 8;
    if constexpr (E == EA_AN) {
        if constexpr (K == Arith::Add) A(op & 7) += q;
        else A(op & 7) -= q;
        r.R -= 8;
    } else {
        Loc l = locate<E, S>(r, op & 7);
        store<E, S>(r, l, arith<K, S>(load<E, S>(r, l), q));
        if constexpr (E == EA_DN) r.R -= S == 4 ? 8 : 4;
        else r.R -= (S == 4 ? 12 : 8) + ea_time<E, S>();
    }
    return Flow::Next;
}

// ADDX, SUBX: Dy,Dx or -(Ay),-(Ax)
template <bool ADD, int S, bool MEM, unsigned RX>
inline Flow op_arith_x(Run& r, uint32_t op) {
    unsigned ry = op & 7;
    uint32_t old_z = W.z;
    if constexpr (MEM) {
        uint32_t src = read_ea<EA_PRE, S>(r, ry);
        Loc l = locate<EA_PRE, S>(r, RX);
        uint32_t dst = load<EA_PRE, S>(r, l);
        uint32_t res = ADD ? add_op<S>(dst, src, W.xflag) : sub_op<S>(dst, src, W.xflag);
        keep_z_unless_nonzero(old_z, res);
        store<EA_PRE, S>(r, l, res);
        r.R -= S == 4 ? 30 : 18;
    } else {
        uint32_t src = D(ry) & Size<S>::mask;
        uint32_t dst = D(RX) & Size<S>::mask;
        uint32_t res = ADD ? add_op<S>(dst, src, W.xflag) : sub_op<S>(dst, src, W.xflag);
        keep_z_unless_nonzero(old_z, res);
        write_dreg<S>(RX, res);
        r.R -= S == 4 ? 8 : 4;
    }
    return Flow::Next;
}

// CMPM (Ay)+,(Ax)+
template <int S, unsigned RX>
inline Flow op_cmpm(Run& r, uint32_t op) {
    uint32_t src = read_ea<EA_POST, S>(r, op & 7);
    uint32_t dst = read_ea<EA_POST, S>(r, RX);
    sub_op<S, false>(dst, src);
    r.R -= S == 4 ? 20 : 12;
    return Flow::Next;
}

// NEG, NEGX
template <bool X, int S, Ea E>
inline Flow op_neg(Run& r, uint32_t op) {
    Loc l = locate<E, S>(r, op & 7);
    uint32_t v = load<E, S>(r, l);
    uint32_t res;
    if constexpr (X) {
        uint32_t old_z = W.z;
        res = sub_op<S>(0, v, W.xflag);
        keep_z_unless_nonzero(old_z, res);
    } else {
        res = sub_op<S>(0, v);
    }
    store<E, S>(r, l, res);
    if constexpr (E == EA_DN) r.R -= S == 4 ? 6 : 4;
    else r.R -= (S == 4 ? 12 : 8) + ea_time<E, S>();
    return Flow::Next;
}

// MULU, MULS: 16 x 16 -> 32 bits.
template <bool SIGNED, Ea E, unsigned DREG>
inline Flow op_mul(Run& r, uint32_t op) {
    uint32_t src = read_ea<E, 2>(r, op & 7);
    uint32_t res;
    int extra;
    if constexpr (SIGNED) {
        res = static_cast<uint32_t>(static_cast<int32_t>(static_cast<int16_t>(D(DREG))) *
                                    static_cast<int16_t>(src));
        uint32_t pairs = src << 1;
        extra = std::popcount((pairs ^ (pairs >> 1)) & 0xFFFF);
    } else {
        res = (D(DREG) & 0xFFFF) * src;
        extra = std::popcount(src);
    }
    D(DREG) = res;
    flags_logic<4>(res);
    r.R -= 38 + 2 * extra + ea_time<E, 2>();
    return Flow::Next;
}

// DIVU, DIVS: 32 / 16 -> 16-bit quotient (low word) and remainder (high word).
template <bool SIGNED, Ea E, unsigned DREG>
inline Flow op_div(Run& r, uint32_t op) {
    uint32_t src = read_ea<E, 2>(r, op & 7);
    if (src == 0) {
        exception(r, VEC_ZERO_DIVIDE, pc_address(r));
        r.R -= 38 + ea_time<E, 2>();
        return Flow::Next;
    }
    uint32_t dividend = D(DREG);
    bool overflow;
    uint32_t quotient = 0;
    uint32_t remainder = 0;
    if constexpr (SIGNED) {
        int64_t a = static_cast<int32_t>(dividend);
        int64_t b = static_cast<int16_t>(src);
        int64_t q = a / b;
        overflow = q < -32768 || q > 32767;
        quotient = static_cast<uint32_t>(q) & 0xFFFF;
        remainder = static_cast<uint32_t>(a % b) & 0xFFFF;
    } else {
        uint32_t q = dividend / src;
        overflow = q > 0xFFFF;
        quotient = q;
        remainder = dividend % src;
    }
    if (overflow) {
        W.v = 0x80000000u;
        W.n = 0;
        W.z = 1;
        W.c = 0;
    } else {
        D(DREG) = remainder << 16 | quotient;
        flags_logic<2>(quotient);
    }
    r.R -= (SIGNED ? 150 : 133) + ea_time<E, 2>();
    return Flow::Next;
}

// CHK <ea>,Dn (word)
template <Ea E, unsigned DREG>
inline Flow op_chk(Run& r, uint32_t op) {
    int16_t bound = static_cast<int16_t>(read_ea<E, 2>(r, op & 7));
    int16_t v = static_cast<int16_t>(D(DREG));
    W.z = 1;
    W.v = 0;
    W.c = 0;
    if (v < 0 || v > bound) {
        W.n = v < 0 ? 0x80000000u : 0;
        exception(r, VEC_CHK, pc_address(r));
        r.R -= 40 + ea_time<E, 2>();
    } else {
        W.n = 0;
        r.R -= 10 + ea_time<E, 2>();
    }
    return Flow::Next;
}

// Decimal arithmetic on bytes with X as incoming carry or borrow.
enum class Bcd { Add, Sub };

template <Bcd K>
inline uint32_t bcd_op(uint32_t dst, uint32_t src) {
    const uint32_t x = W.xflag;
    uint32_t t;
    bool c;
    if constexpr (K == Bcd::Add) {
        // The binary sum, corrected by 6 when the low digit is above 9 or
        // carried, and by 0x60 when the sum is above 0x99 or carried.
        const uint32_t s = dst + src + x;
        const bool h = (dst & 0xF) + (src & 0xF) + x > 0xF;
        t = s & 0xFF;
        c = s > 0xFF;
        const uint32_t t0 = t;
        const bool c0 = c;
        if ((t & 0xF) > 9 || h) {
            t += 6;
            if (t > 0xFF) c = true;
            t &= 0xFF;
        }
        if (t0 > 0x99 || c0) {
            t = (t + 0x60) & 0xFF;
            c = true;
        } else {
            c = false;
        }
    } else {
        // The binary difference, corrected by 6 when the low digit borrowed
        // and by 0x60 when the byte borrowed. For valid decimal digits this is
        // the decimal difference; for invalid ones it is what the 68000 gives.
        const uint32_t s = dst - src - x;
        const bool h = (dst & 0xF) < (src & 0xF) + x;
        const bool c0 = dst < src + x;
        t = s & 0xFF;
        c = c0;
        if (h) {
            if (t < 6) c = true;
            t = (t - 6) & 0xFF;
        }
        if (c0) t = (t - 0x60) & 0xFF;
    }
    W.c = c;
    W.xflag = c;
    if (t) W.z = t;
    W.n = t << 24;
    W.v = 0;
    return t;
}

// ABCD, SBCD: Dy,Dx or -(Ay),-(Ax)
template <Bcd K, bool MEM, unsigned RX>
inline Flow op_bcd(Run& r, uint32_t op) {
    unsigned ry = op & 7;
    if constexpr (MEM) {
        uint32_t src = read_ea<EA_PRE, 1>(r, ry);
        Loc l = locate<EA_PRE, 1>(r, RX);
        uint32_t res = bcd_op<K>(load<EA_PRE, 1>(r, l), src);
        store<EA_PRE, 1>(r, l, res);
        r.R -= 18;
    } else {
        write_dreg<1>(RX, bcd_op<K>(D(RX) & 0xFF, D(ry) & 0xFF));
        r.R -= 6;
    }
    return Flow::Next;
}

template <Ea E>
inline Flow op_nbcd(Run& r, uint32_t op) {
    Loc l = locate<E, 1>(r, op & 7);
    store<E, 1>(r, l, bcd_op<Bcd::Sub>(0, load<E, 1>(r, l)));
    r.R -= E == EA_DN ? 6 : 8 + ea_time<E, 1>();
    return Flow::Next;
}

}  // namespace m68k
