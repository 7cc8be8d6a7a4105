/* What run_asm_checks must leave, computed on the host from models of the
   instructions as the 68000 documents them: BCD arithmetic byte by byte,
   rotation through X bit by bit, MOVEP's every-other-byte transfer, MOVEM's
   register order and sign extension, TAS, CHK's bounds, TRAP's return
   address and the DIVS/DIVU overflow rule. */
#include <stdint.h>

#include "asm_checks.h"

#define CCR_C 0x01
#define CCR_V 0x02
#define CCR_Z 0x04
#define CCR_N 0x08
#define CCR_X 0x10

static int from_bcd(uint32_t b) { return (int)((b >> 4) * 10 + (b & 15)); }
static uint32_t to_bcd(int v) { return (uint32_t)(v / 10 << 4 | v % 10); }

enum bcd_op { BCD_ADD, BCD_SUB };

/* Four bytes, lowest first, X starting clear and Z set; returns the long
   and leaves X/C and Z in *ccr. `a` is the destination. */
static uint32_t bcd_chain(enum bcd_op op, uint32_t a, uint32_t b, uint32_t* ccr) {
    uint32_t result = 0, x = 0, z = CCR_Z;
    for (int byte = 0; byte < 4; ++byte) {
        const int da = from_bcd(a >> (8 * byte) & 0xFF), db = from_bcd(b >> (8 * byte) & 0xFF);
        int v = op == BCD_ADD ? da + db + (int)x : da - db - (int)x;
        x = 0;
        if (v > 99) v -= 100, x = 1;
        if (v < 0) v += 100, x = 1;
        if (v) z = 0; /* cleared by a non-zero byte, otherwise unchanged */
        result |= to_bcd(v) << (8 * byte);
    }
    *ccr = (x ? CCR_X | CCR_C : 0) | z;
    return result;
}

/* Rotation through X of the low `bits` bits of *value, `count` steps. */
static void rotate_x(uint32_t* value, int bits, int left, int count, uint32_t* x) {
    const uint32_t top = 1u << (bits - 1);
    const uint32_t mask = bits == 32 ? 0xFFFFFFFFu : (1u << bits) - 1;
    uint32_t v = *value & mask;
    for (int i = 0; i < count; ++i) {
        const uint32_t out = left ? (v & top) != 0 : v & 1u;
        v = left ? ((v << 1) | *x) & mask : (v >> 1) | (*x ? top : 0);
        *x = out;
    }
    *value = (*value & ~mask) | v;
}

static uint32_t divs(uint32_t d, int16_t divisor, uint32_t* overflow) {
    const int32_t a = (int32_t)d;
    const int32_t q = a / divisor, r = a % divisor;
    *overflow = q < -32768 || q > 32767;
    return *overflow ? d : ((uint32_t)r & 0xFFFF) << 16 | ((uint32_t)q & 0xFFFF);
}

static uint32_t divu(uint32_t d, uint16_t divisor, uint32_t* overflow) {
    const uint32_t q = d / divisor, r = d % divisor;
    *overflow = q > 0xFFFF;
    return *overflow ? d : r << 16 | q;
}

void model_asm_checks(uint32_t r[ASM_RESULTS]) {
    uint32_t ccr, ccr2;

    r[ASM_ABCD_SUM] = bcd_chain(BCD_ADD, 0x12345678, 0x87654329, &ccr);
    r[ASM_ABCD_CCR] = ccr;
    r[ASM_SBCD_FIRST] = bcd_chain(BCD_SUB, 0x10000000, 0x00000001, &ccr);
    r[ASM_SBCD_SECOND] = bcd_chain(BCD_SUB, 0x00000000, 0x00000001, &ccr2);
    r[ASM_SBCD_CCRS] = ccr << 8 | ccr2;
    r[ASM_NBCD_VALUE] = bcd_chain(BCD_SUB, 0, 0x00000123, &ccr);
    r[ASM_NBCD_CCR] = ccr;

    /* MOVEP.L: the long's bytes, high first, at offsets 0, 2, 4 and 6. */
    uint8_t bytes[8] = {0};
    const uint32_t moved = 0x11223344;
    for (int i = 0; i < 4; ++i) bytes[2 * i] = (uint8_t)(moved >> (24 - 8 * i));
    r[ASM_MOVEP_LOW] = (uint32_t)bytes[0] << 24 | (uint32_t)bytes[1] << 16 | (uint32_t)bytes[2] << 8 | bytes[3];
    r[ASM_MOVEP_HIGH] = (uint32_t)bytes[4] << 24 | (uint32_t)bytes[5] << 16 | (uint32_t)bytes[6] << 8 | bytes[7];
    r[ASM_MOVEP_LONG_BACK] = (uint32_t)bytes[0] << 24 | (uint32_t)bytes[2] << 16 | (uint32_t)bytes[4] << 8 | bytes[6];
    r[ASM_MOVEP_WORD_BACK] = 0xFFFF0000u | (uint32_t)bytes[1] << 8 | bytes[3]; /* MOVEP.W keeps the upper word */

    /* MOVEM: the lowest address holds the lowest register (d1), eleven
       longs in all; word loads are sign-extended to 32 bits. */
    r[ASM_MOVEM_FIRST] = 0x11111111;
    r[ASM_MOVEM_LAST] = 0xA5A5A5A5;
    r[ASM_MOVEM_BYTES] = 11 * 4;
    r[ASM_MOVEM_WORD_DATA] = (uint32_t)(int32_t)(int16_t)0x8001;
    r[ASM_MOVEM_WORD_ADDRESS] = (uint32_t)(int32_t)(int16_t)0x7FFF;

    uint32_t value = 0x80000001, x = 1;
    rotate_x(&value, 32, 1, 1, &x);
    rotate_x(&value, 16, 0, 3, &x);
    rotate_x(&value, 8, 1, 5, &x);
    rotate_x(&value, 32, 0, 35, &x);
    r[ASM_ROX_VALUE] = value;
    r[ASM_ROX_CCR] = x ? CCR_X | CCR_C : 0;

    /* TAS: N and Z from the byte before, bit 7 set afterwards. */
    const uint8_t tested[2] = {0x00, 0x81};
    uint32_t tas = 0;
    for (int i = 0; i < 2; ++i) tas |= (uint32_t)(tested[i] | 0x80) << (24 - 8 * i);
    for (int i = 0; i < 2; ++i)
        tas |= (uint32_t)((tested[i] & 0x80 ? CCR_N : 0) | (tested[i] == 0 ? CCR_Z : 0)) << (8 - 8 * i);
    r[ASM_TAS] = tas;

    /* CHK traps below 0 and above the bound. */
    const int16_t checked[4] = {5, -1, 11, 10};
    uint32_t traps = 0;
    for (int i = 0; i < 4; ++i) traps += checked[i] < 0 || checked[i] > 10;
    r[ASM_CHK_TRAPS] = traps;

    /* TRAP #3 counts 1, TRAP #15 counts 16; both find their return address. */
    r[ASM_TRAPS] = (0x01 + 0x10) << 8 | 2;

    uint32_t v1, v2, v3;
    r[ASM_DIVS_OVERFLOW] = divs(0x00100000, 2, &v1);
    r[ASM_DIVS_VALUE] = divs((uint32_t)-7, 2, &v2);
    r[ASM_DIVU_OVERFLOW] = divu(0x00100000, 1, &v3);
    r[ASM_DIV_FLAGS] = v1 << 2 | v2 << 1 | v3;
}
