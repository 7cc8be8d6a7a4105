// Line 4: single-operand instructions, moves to and from SR and CCR, CHK,
// LEA, PEA/SWAP, MOVEM/EXT, TAS/ILLEGAL, JSR, JMP, and the miscellaneous
// group 0x4E40-0x4E7F handed to debugspecialmap.
#include "disasm.h"
#include "formatters.h"

namespace {

void single_operand(const char* mnemonic) {
    debug_ea(inst);
    debug_text("%s  %s", mnemonic, eabuffer);
}

// Registers to memory; the predecrement form lists its reversed mask.
void movem_to_memory(const char* mnemonic, const char* extend) {
    if (op_mode() == 0) {
        debug_text("%s   d%d", extend, op_low_register());
        return;
    }
    char list[48];
    unsigned short mask = debug_next_word();
    if (op_mode() == 4) {
        getreglistb(mask, list);
        debug_text("%s %s,-(a%d)", mnemonic, list, op_low_register());
        return;
    }
    debug_ea(inst);
    getreglistf(mask, list);
    debug_text("%s %s,%s", mnemonic, list, eabuffer);
}

void movem_to_registers(const char* mnemonic) {
    char list[48];
    unsigned short mask = debug_next_word();
    debug_ea(inst);
    getreglistf(mask, list);
    debug_text("%s %s,%s", mnemonic, eabuffer, list);
}

}  // namespace

void m68_negx____b() { single_operand("negx.b"); }
void m68_negx____w() { single_operand("negx  "); }
void m68_negx____l() { single_operand("negx.l"); }
void m68_clr_____b() { single_operand("clr.b "); }
void m68_clr_____w() { single_operand("clr   "); }
void m68_clr_____l() { single_operand("clr.l "); }
void m68_neg_____b() { single_operand("neg.b "); }
void m68_neg_____w() { single_operand("neg   "); }
void m68_neg_____l() { single_operand("neg.l "); }
void m68_not_____b() { single_operand("not.b "); }
void m68_not_____w() { single_operand("not   "); }
void m68_not_____l() { single_operand("not.l "); }
void m68_tst_____b() { single_operand("tst.b "); }
void m68_tst_____w() { single_operand("tst   "); }
void m68_tst_____l() { single_operand("tst.l "); }

void m68_movefsr_w() {
    debug_ea(inst);
    debug_text("move    sr,%s", eabuffer);
}

void m68_movefcc_w() {
    debug_ea(inst);
    debug_text("move.b  ccr,%s", eabuffer);
}

void m68_move2cc_w() {
    debug_ea(inst);
    debug_text("move.b  %s,ccr", eabuffer);
}

void m68_move2sr_w() {
    debug_ea(inst);
    debug_text("move    %s,sr", eabuffer);
}

void m68_chk___n_w() {
    debug_ea(inst);
    debug_text("chk     %s,d%d", eabuffer, op_register());
}

void m68_lea___n_l() {
    debug_ea(inst);
    debug_text("lea     %s,a%d", eabuffer, op_register());
}

void m68_nbcd____b() {
    debug_ea(inst);
    debug_text("nbcd.b  %s", eabuffer);
}

// Modes 0 and 1 of PEA are SWAP.
void m68_pea_____l() {
    if (op_mode() <= 1) {
        debug_text("swap    d%d", op_low_register());
        return;
    }
    debug_ea(inst);
    debug_text("pea     %s", eabuffer);
}

void m68_movem___w() { movem_to_memory("movem  ", "ext  "); }
void m68_movem___l() { movem_to_memory("movem.l", "ext.l"); }
void m68_movem_r_w() { movem_to_registers("movem  "); }
void m68_movem_r_l() { movem_to_registers("movem.l"); }

void m68_tas_____b() {
    if (inst == 0x4AFC) {
        debug_text("illegal");
        return;
    }
    debug_ea(inst);
    debug_text("tas     %s", eabuffer);
}

void m68_special_x() { debugspecialmap[inst & 0x3F](); }

void m68_jsr_____x() {
    debug_ea(inst);
    debug_text("jsr     %s", eabuffer);
}

void m68_jmp_____x() {
    debug_ea(inst);
    debug_text("jmp     %s", eabuffer);
}

// MOVEM register lists, every register named by itself.
namespace {

// Appends the name of every register whose mask bit is set, bit 0 first,
// separated by '/'. `names` gives the register of each bit.
void register_list(unsigned short mask, const char* const names[16], char* out) {
    char* end = out;
    for (int bit = 0; bit < 16; ++bit) {
        if (!(mask & (1u << bit))) continue;
        if (end != out) *end++ = '/';
        *end++ = names[bit][0];
        *end++ = names[bit][1];
    }
    *end = '\0';
}

constexpr const char* kForward[16] = {"d0", "d1", "d2", "d3", "d4", "d5", "d6", "d7",
                                      "a0", "a1", "a2", "a3", "a4", "a5", "a6", "a7"};
constexpr const char* kBackward[16] = {"a7", "a6", "a5", "a4", "a3", "a2", "a1", "a0",
                                       "d7", "d6", "d5", "d4", "d3", "d2", "d1", "d0"};

}  // namespace

void getreglistf(unsigned short mask, char* out) { register_list(mask, kForward, out); }
void getreglistb(unsigned short mask, char* out) { register_list(mask, kBackward, out); }
