// Effective addresses: evaluation (with the side effects of (An)+ and -(An)),
// operand reads and writes, and their addressing times.
#pragma once

#include "memory.h"
#include "opcode_map.h"

namespace m68k {

template <int S>
struct Size;
template <>
struct Size<1> {
    static constexpr uint32_t mask = 0xFF;
    static constexpr int shift = 24;  // moves the operand's top bit to bit 31
};
template <>
struct Size<2> {
    static constexpr uint32_t mask = 0xFFFF;
    static constexpr int shift = 16;
};
template <>
struct Size<4> {
    static constexpr uint32_t mask = 0xFFFFFFFF;
    static constexpr int shift = 0;
};

inline uint32_t& D(unsigned n) { return _s68000context.dreg[n]; }
inline uint32_t& A(unsigned n) { return _s68000context.areg[n]; }

// Writes the low S bytes of a data register, keeping the rest.
template <int S>
inline void write_dreg(unsigned n, uint32_t v) {
    if constexpr (S == 4) {
        D(n) = v;
    } else if constexpr (S == 2) {
        uint16_t w = static_cast<uint16_t>(v);
        std::memcpy(&D(n), &w, 2);
    } else {
        uint8_t b = static_cast<uint8_t>(v);
        std::memcpy(&D(n), &b, 1);
    }
}

template <int S>
constexpr uint32_t sign_extend(uint32_t v) {
    if constexpr (S == 1) return static_cast<uint32_t>(static_cast<int32_t>(static_cast<int8_t>(v)));
    else if constexpr (S == 2) return static_cast<uint32_t>(static_cast<int32_t>(static_cast<int16_t>(v)));
    else return v;
}

// (An)+ and -(An) step by the operand size, by 2 for bytes on A7.
template <int S>
constexpr uint32_t step(unsigned reg) {
    return (S == 1 && reg == 7) ? 2 : S;
}

// The index of a brief extension word; bits 10-8 are ignored.
inline uint32_t decode_ext(uint16_t ext) {
    unsigned n = ext >> 12;
    uint32_t x = n < 8 ? D(n) : A(n - 8);
    if (!(ext & 0x0800)) x = sign_extend<2>(x);
    return x + sign_extend<1>(ext);
}

// An evaluated operand: the register, the memory address, or the immediate value.
struct Loc {
    uint32_t addr;
    unsigned reg;
};

template <Ea E, int S>
inline Loc locate(Run& r, unsigned reg) {
    if constexpr (E == EA_DN || E == EA_AN) {
        return {0, reg};
    } else if constexpr (E == EA_IND) {
        return {A(reg), reg};
    } else if constexpr (E == EA_POST) {
        uint32_t a = A(reg);
        A(reg) = a + step<S>(reg);
        return {a, reg};
    } else if constexpr (E == EA_PRE) {
        uint32_t a = A(reg) - step<S>(reg);
        A(reg) = a;
        return {a, reg};
    } else if constexpr (E == EA_DISP) {
        return {A(reg) + sign_extend<2>(fetch16(r)), reg};
    } else if constexpr (E == EA_INDEX) {
        uint32_t base = A(reg);
        return {base + decode_ext(fetch16(r)), reg};
    } else if constexpr (E == EA_ABSW) {
        return {sign_extend<2>(fetch16(r)), 0};
    } else if constexpr (E == EA_ABSL) {
        return {fetch32(r), 0};
    } else if constexpr (E == EA_PCDISP) {
        uint32_t base = pc_address(r);
        return {base + sign_extend<2>(fetch16(r)), 0};
    } else if constexpr (E == EA_PCINDEX) {
        uint32_t base = pc_address(r);
        return {base + decode_ext(fetch16(r)), 0};
    } else {
        static_assert(E == EA_IMM);
        if constexpr (S == 1) return {fetch16(r) & 0xFFu, 0};
        else if constexpr (S == 2) return {fetch16(r), 0};
        else return {fetch32(r), 0};
    }
}

template <int S>
inline uint32_t read_mem(Run& r, uint32_t a) {
    if constexpr (S == 1) return readmemorybyte(r, a);
    else if constexpr (S == 2) return readmemoryword(r, a);
    else return readmemorydword(r, a);
}

template <int S>
inline void write_mem(Run& r, uint32_t a, uint32_t v) {
    if constexpr (S == 1) writememorybyte(r, a, v);
    else if constexpr (S == 2) writememoryword(r, a, v);
    else writememorydword(r, a, v);
}

// The operand's value, zero-extended from size S.
template <Ea E, int S>
inline uint32_t load(Run& r, const Loc& l) {
    if constexpr (E == EA_DN) return D(l.reg) & Size<S>::mask;
    else if constexpr (E == EA_AN) return A(l.reg) & Size<S>::mask;
    else if constexpr (E == EA_IMM) return l.addr;
    else return read_mem<S>(r, l.addr);
}

template <Ea E, int S>
inline void store(Run& r, const Loc& l, uint32_t v) {
    if constexpr (E == EA_DN) write_dreg<S>(l.reg, v);
    else if constexpr (E == EA_AN) A(l.reg) = v;
    else write_mem<S>(r, l.addr, v);
}

template <Ea E, int S>
inline uint32_t read_ea(Run& r, unsigned reg) {
    Loc l = locate<E, S>(r, reg);
    return load<E, S>(r, l);
}

// Effective address calculation times (source operand, or read-modify-write).
template <Ea E, int S>
constexpr int ea_time() {
    constexpr bool L = S == 4;
    switch (E) {
        case EA_IND:
        case EA_POST: return L ? 8 : 4;
        case EA_PRE: return L ? 10 : 6;
        case EA_DISP:
        case EA_PCDISP:
        case EA_ABSW: return L ? 12 : 8;
        case EA_INDEX:
        case EA_PCINDEX: return L ? 14 : 10;
        case EA_ABSL: return L ? 16 : 12;
        case EA_IMM: return L ? 8 : 4;
        default: return 0;
    }
}

// Destination times of MOVE: predecrement costs no more than (An).
template <Ea E, int S>
constexpr int move_dst_time() {
    if constexpr (E == EA_PRE) return ea_time<EA_IND, S>();
    else return ea_time<E, S>();
}

}  // namespace m68k
