/* Checks of instructions a compiler seldom emits, written in assembly and
   run on the 68000 only; the host computes what they must give from models
   of the instructions (asm_model.c). */
#ifndef ASM_CHECKS_H
#define ASM_CHECKS_H

#include <stdint.h>

#define ASM_RESULTS 25

/* Result slots, in the order run_asm_checks stores them. */
enum {
    ASM_ABCD_SUM, ASM_ABCD_CCR,
    ASM_SBCD_FIRST, ASM_SBCD_SECOND, ASM_SBCD_CCRS,
    ASM_NBCD_VALUE, ASM_NBCD_CCR,
    ASM_MOVEP_LOW, ASM_MOVEP_HIGH, ASM_MOVEP_LONG_BACK, ASM_MOVEP_WORD_BACK,
    ASM_MOVEM_FIRST, ASM_MOVEM_LAST, ASM_MOVEM_BYTES, ASM_MOVEM_WORD_DATA, ASM_MOVEM_WORD_ADDRESS,
    ASM_ROX_VALUE, ASM_ROX_CCR,
    ASM_TAS,
    ASM_CHK_TRAPS,
    ASM_TRAPS,
    ASM_DIVS_OVERFLOW, ASM_DIVS_VALUE, ASM_DIVU_OVERFLOW, ASM_DIV_FLAGS,
};

void run_asm_checks(uint32_t results[ASM_RESULTS]);      /* 68000 */
void model_asm_checks(uint32_t results[ASM_RESULTS]);    /* host */

#endif
