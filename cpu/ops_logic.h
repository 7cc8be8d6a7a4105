// Logic, bits and shifts: AND, OR, EOR, NOT and their immediate forms
// (including to CCR and SR), BTST, BCHG, BCLR, BSET, and the shifts and
// rotates.
#pragma once

#include "ops_common.h"

namespace m68k {

enum class Logic { And, Or, Eor };

template <Logic K>
constexpr uint32_t logic(uint32_t a, uint32_t b) {
    if constexpr (K == Logic::And) return a & b;
    else if constexpr (K == Logic::Or) return a | b;
    else return a ^ b;
}

// AND/OR <ea>,Dn
template <Logic K, int S, Ea E, unsigned DREG>
inline Flow op_logic_to_reg(Run& r, uint32_t op) {
    uint32_t res = logic<K>(D(DREG), read_ea<E, S>(r, op & 7)) & Size<S>::mask;
    write_dreg<S>(DREG, res);
    flags_logic<S>(res);
    if constexpr (S != 4) r.R -= 4 + ea_time<E, S>();
    else r.R -= ((E == EA_DN || E == EA_IMM) ? 8 : 6) + ea_time<E, S>();
    return Flow::Next;
}

// AND/OR/EOR Dn,<ea> (EOR also to a data register)
template <Logic K, int S, Ea E, unsigned DREG>
inline Flow op_logic_to_ea(Run& r, uint32_t op) {
    Loc l = locate<E, S>(r, op & 7);
    uint32_t res = logic<K>(load<E, S>(r, l), D(DREG)) & Size<S>::mask;
    store<E, S>(r, l, res);
    flags_logic<S>(res);
    if constexpr (E == EA_DN) r.R -= S == 4 ? 8 : 4;
    else r.R -= (S == 4 ? 12 : 8) + ea_time<E, S>();
    return Flow::Next;
}

// ANDI, ORI, EORI
template <Logic K, int S, Ea E>
inline Flow op_logic_imm(Run& r, uint32_t op) {
    uint32_t imm = locate<EA_IMM, S>(r, 0).addr;
    Loc l = locate<E, S>(r, op & 7);
    uint32_t res = logic<K>(load<E, S>(r, l), imm);
    store<E, S>(r, l, res);
    flags_logic<S>(res);
    if constexpr (E == EA_DN) r.R -= S == 4 ? 16 : 8;
    else r.R -= (S == 4 ? 20 : 12) + ea_time<E, S>();
    return Flow::Next;
}

template <Logic K>
inline Flow op_logic_ccr(Run& r, uint32_t) {
    uint32_t imm = fetch16(r) & 0xFF;
    ccr_unpack(static_cast<uint8_t>(logic<K>(ccr_pack(), imm)));
    r.R -= 20;
    return Flow::Next;
}

template <Logic K>
inline Flow op_logic_sr(Run& r, uint32_t) {
    if (!supervisor()) {
        privilege_violation(r);
        return Flow::Next;
    }
    uint32_t imm = fetch16(r);
    set_sr(static_cast<uint16_t>(logic<K>(sr_value(), imm)));
    r.R -= 20;
    return Flow::CheckPoint;
}

template <int S, Ea E>
inline Flow op_not(Run& r, uint32_t op) {
    Loc l = locate<E, S>(r, op & 7);
    uint32_t res = ~load<E, S>(r, l) & Size<S>::mask;
    store<E, S>(r, l, res);
    flags_logic<S>(res);
    if constexpr (E == EA_DN) r.R -= S == 4 ? 6 : 4;
    else r.R -= (S == 4 ? 12 : 8) + ea_time<E, S>();
    return Flow::Next;
}

// Bit operations: KIND 0 BTST, 1 BCHG, 2 BCLR, 3 BSET. On a data register the
// bit number is taken modulo 32, on memory modulo 8 (a byte operand).
template <unsigned KIND, bool IMMEDIATE, Ea E, unsigned DREG>
inline Flow op_bit(Run& r, uint32_t op) {
    constexpr int S = E == EA_DN ? 4 : 1;
    uint32_t number = IMMEDIATE ? fetch16(r) & 0xFF : D(DREG);
    number &= S == 4 ? 31 : 7;
    Loc l = locate<E, S>(r, op & 7);
    uint32_t v = load<E, S>(r, l);
    uint32_t bit = 1u << number;
    W.z = v & bit;
    if constexpr (KIND == 1) store<E, S>(r, l, v ^ bit);
    else if constexpr (KIND == 2) store<E, S>(r, l, v & ~bit);
    else if constexpr (KIND == 3) store<E, S>(r, l, v | bit);
    if constexpr (E == EA_DN) {
        constexpr int reg_times[4] = {6, 8, 10, 8};
        r.R -= reg_times[KIND] + (IMMEDIATE ? 4 : 0);
    } else {
        // An immediate operand (BTST only) is a byte: 4 like (An).
        constexpr int base = KIND == 0 ? 4 : 8;
        r.R -= base + (IMMEDIATE ? 4 : 0) + ea_time<E, 1>();
    }
    return Flow::Next;
}

// One shift or rotate of a value of size S by `count` (already reduced
// modulo 64), setting the condition codes.
template <Shift KIND, bool LEFT, int S>
inline uint32_t shift_op(uint32_t v, unsigned count) {
    constexpr unsigned bits = S * 8;
    constexpr uint32_t mask = Size<S>::mask;
    constexpr uint32_t msb = 1u << (bits - 1);
    uint32_t res = v;
    uint32_t c = 0;
    W.v = 0;
    if (count == 0) {
        c = KIND == SH_ROX ? W.xflag : 0;
    } else if constexpr (KIND == SH_AS || KIND == SH_LS) {
        if constexpr (LEFT) {
            if (count <= bits) c = (v >> (bits - count)) & 1;
            res = count < bits ? (v << count) & mask : 0;
            if constexpr (KIND == SH_AS) {
                // V: the most significant bit changed at some time during the shift.
                if (count >= bits) {
                    W.v = v ? 0x80000000u : 0;
                } else {
                    uint32_t top = (mask << (bits - count - 1)) & mask;
                    uint32_t t = v & top;
                    W.v = (t != 0 && t != top) ? 0x80000000u : 0;
                }
            }
        } else if constexpr (KIND == SH_LS) {
            if (count <= bits) c = (v >> (count - 1)) & 1;
            res = count < bits ? v >> count : 0;
        } else {
            uint32_t sign = (v & msb) ? mask : 0;
            if (count < bits) {
                c = (v >> (count - 1)) & 1;
                res = ((v >> count) | (sign << (bits - count))) & mask;
            } else {
                // At and past the size every bit shifted out is a copy of
                // the sign, so C and X take the sign.
                c = sign & 1;
                res = sign;
            }
        }
        W.xflag = static_cast<uint8_t>(c);
    } else if constexpr (KIND == SH_RO) {
        unsigned n = count % bits;
        if constexpr (LEFT) {
            res = n ? ((v << n) | (v >> (bits - n))) & mask : v;
            c = res & 1;
        } else {
            res = n ? ((v >> n) | (v << (bits - n))) & mask : v;
            c = (res >> (bits - 1)) & 1;
        }
    } else {
        // ROXL/ROXR rotate the (bits + 1)-bit value X:v.
        unsigned n = count % (bits + 1);
        uint64_t x = W.xflag;
        c = W.xflag;
        if (n) {
            uint64_t wide = (x << bits) | v;
            constexpr uint64_t wmask = (uint64_t{1} << (bits + 1)) - 1;
            if constexpr (LEFT) wide = ((wide << n) | (wide >> (bits + 1 - n))) & wmask;
            else wide = ((wide >> n) | (wide << (bits + 1 - n))) & wmask;
            res = static_cast<uint32_t>(wide) & mask;
            c = static_cast<uint32_t>(wide >> bits) & 1;
        }
        W.xflag = static_cast<uint8_t>(c);
    }
    W.c = c;
    W.n = res << Size<S>::shift;
    W.z = res;
    return res;
}

// Register shifts: count from bits 11-9 (0 meaning 8) or from a register.
template <Shift KIND, bool LEFT, int S, bool COUNT_REG, unsigned FIELD>
inline Flow op_shift_reg(Run& r, uint32_t op) {
    unsigned n = op & 7;
    unsigned count = COUNT_REG ? D(FIELD) & 63 : (FIELD ? FIELD : 8);
    write_dreg<S>(n, shift_op<KIND, LEFT, S>(D(n) & Size<S>::mask, count));
    r.R -= (S == 4 ? 8 : 6) + 2 * static_cast<int>(count);
    return Flow::Next;
}

// Memory shifts: a word by one bit.
template <Shift KIND, bool LEFT, Ea E>
inline Flow op_shift_mem(Run& r, uint32_t op) {
    Loc l = locate<E, 2>(r, op & 7);
    store<E, 2>(r, l, shift_op<KIND, LEFT, 2>(load<E, 2>(r, l), 1));
    r.R -= 8 + ea_time<E, 2>();
    return Flow::Next;
}

}  // namespace m68k
