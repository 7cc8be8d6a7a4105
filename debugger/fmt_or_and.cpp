// Lines 8 and C: OR and AND in both directions, DIVU/DIVS, MULU/MULS, and
// the register forms sharing their groups (SBCD, ABCD, EXG).
#include "disasm.h"
#include "formatters.h"

namespace {

// <ea>,Dn
void ea_to_register(const char* mnemonic) {
    debug_ea(inst);
    debug_text("%s   %s,d%d", mnemonic, eabuffer, op_register());
}

// Dn,<ea>
void register_to_ea(const char* mnemonic) {
    debug_text("%s   d%d,%s", mnemonic, op_register(), eabuffer);
}

// Modes 0 and 1 of the byte form are the BCD instructions. The register
// form starts its operands in column 7, the memory form in column 9.
void bcd_or_register_to_ea(const char* bcd, const char* mnemonic) {
    debug_ea(inst);
    if (op_mode() > 1) {
        register_to_ea(mnemonic);
    } else if (inst & 8) {
        debug_text("%s    -(a%d),-(a%d)", bcd, op_low_register(), op_register());
    } else {
        debug_text("%s  d%d,d%d", bcd, op_low_register(), op_register());
    }
}

void or_register_to_ea(const char* mnemonic) {
    debug_ea(inst);
    if (op_mode() <= 1)
        debug_text("*** NOT RECOGNIZED ***");
    else
        register_to_ea(mnemonic);
}

void ea_to_register_word(const char* mnemonic) {
    debug_ea(inst);
    debug_text("%s    %s,d%d", mnemonic, eabuffer, op_register());
}

}  // namespace

void m68_or__d_n_b() { ea_to_register("or.b "); }
void m68_or__d_n_w() { ea_to_register("or   "); }
void m68_or__d_n_l() { ea_to_register("or.l "); }
void m68_or__e_n_b() { bcd_or_register_to_ea("sbcd", "or.b "); }
void m68_or__e_n_w() { or_register_to_ea("or   "); }
void m68_or__e_n_l() { or_register_to_ea("or.l "); }
void m68_divu__n_w() { ea_to_register_word("divu"); }
void m68_divs__n_w() { ea_to_register_word("divs"); }

void m68_and_d_n_b() { ea_to_register("and.b"); }
void m68_and_d_n_w() { ea_to_register("and  "); }
void m68_and_d_n_l() { ea_to_register("and.l"); }
void m68_and_e_n_b() { bcd_or_register_to_ea("abcd", "and.b"); }
void m68_mulu__n_w() { ea_to_register_word("mulu"); }
void m68_muls__n_w() { ea_to_register_word("muls"); }

// Modes 0 and 1: EXG of two data or two address registers.
void m68_and_e_n_w() {
    debug_ea(inst);
    if (op_mode() <= 1) {
        char kind = (inst & 8) ? 'a' : 'd';
        debug_text("exg     %c%d,%c%d", kind, op_register(), kind, op_low_register());
    } else {
        register_to_ea("and  ");
    }
}

// Mode 1: EXG of a data and an address register; mode 0 stays AND.
void m68_and_e_n_l() {
    debug_ea(inst);
    if (op_mode() == 1)
        debug_text("exg     d%d,a%d", op_register(), op_low_register());
    else
        register_to_ea("and.l");
}
