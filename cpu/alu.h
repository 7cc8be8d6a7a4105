// Arithmetic and logic with the 68000's condition codes, and the conditions
// of Bcc, Scc and DBcc.
#pragma once

#include "ea.h"

namespace m68k {

// N and Z from a result of size S; V and C cleared.
template <int S>
inline void flags_logic(uint32_t res) {
    W.n = res << Size<S>::shift;
    W.z = res & Size<S>::mask;
    W.v = 0;
    W.c = 0;
}

// dst + src + x, setting N Z V C (and X when SetX).
template <int S, bool SetX = true>
inline uint32_t add_op(uint32_t dst, uint32_t src, uint32_t x = 0) {
    uint32_t res;
    uint32_t carry;
    if constexpr (S == 4) {
        uint64_t wide = uint64_t{dst} + src + x;
        res = static_cast<uint32_t>(wide);
        carry = static_cast<uint32_t>(wide >> 32);
    } else {
        uint32_t wide = dst + src + x;
        res = wide & Size<S>::mask;
        carry = (wide >> (32 - Size<S>::shift)) & 1;
    }
    W.n = res << Size<S>::shift;
    W.z = res;
    W.v = ((src ^ res) & (dst ^ res)) << Size<S>::shift;
    W.c = carry;
    if constexpr (SetX) W.xflag = static_cast<uint8_t>(carry);
    return res;
}

// dst - src - x, setting N Z V C (and X when SetX).
template <int S, bool SetX = true>
inline uint32_t sub_op(uint32_t dst, uint32_t src, uint32_t x = 0) {
    uint32_t res;
    uint32_t borrow;
    if constexpr (S == 4) {
        uint64_t wide = uint64_t{dst} - src - x;
        res = static_cast<uint32_t>(wide);
        borrow = static_cast<uint32_t>(wide >> 32) & 1;
    } else {
        uint32_t wide = dst - src - x;
        res = wide & Size<S>::mask;
        borrow = (wide >> (32 - Size<S>::shift)) & 1;
    }
    W.n = res << Size<S>::shift;
    W.z = res;
    W.v = ((src ^ dst) & (res ^ dst)) << Size<S>::shift;
    W.c = borrow;
    if constexpr (SetX) W.xflag = static_cast<uint8_t>(borrow);
    return res;
}

// ADDX, SUBX, NEGX and the BCD instructions clear Z on a non-zero result and
// leave it otherwise; the arithmetic above has just set it from the result.
inline void keep_z_unless_nonzero(uint32_t old_z, uint32_t res) {
    W.z = res ? res : old_z;
}

inline bool condition(unsigned cc) {
    const bool C = W.c & 1;
    const bool Z = W.z == 0;
    const bool N = W.n >> 31;
    const bool V = W.v >> 31;
    switch (cc & 15) {
        case 0: return true;
        case 1: return false;
        case 2: return !C && !Z;
        case 3: return C || Z;
        case 4: return !C;
        case 5: return C;
        case 6: return !Z;
        case 7: return Z;
        case 8: return !V;
        case 9: return V;
        case 10: return !N;
        case 11: return N;
        case 12: return N == V;
        case 13: return N != V;
        case 14: return !Z && N == V;
        default: return Z || N != V;
    }
}

}  // namespace m68k
