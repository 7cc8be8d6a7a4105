// Lines 9, B and D: SUB, CMP and ADD with their address forms, SUBX/ADDX,
// EOR and CMPM.
#include "disasm.h"
#include "formatters.h"

namespace {

// <ea>,Dn
void ea_to_data(const char* mnemonic) {
    debug_ea(inst);
    debug_text("%s   %s,d%d", mnemonic, eabuffer, op_register());
}

// <ea>,An
void ea_to_address(const char* mnemonic) {
    debug_ea(inst);
    debug_text("%s   %s,a%d", mnemonic, eabuffer, op_register());
}

// Dn,<ea>; modes 0 and 1 are the extended forms (register or predecrement).
void data_to_ea_or_extended(const char* mnemonic, const char* extended) {
    debug_ea(inst);
    if ((inst & 0x30) != 0) {
        debug_text("%s   d%d,%s", mnemonic, op_register(), eabuffer);
    } else if (inst & 8) {
        debug_text("%s  -(a%d),-(a%d)", extended, op_low_register(), op_register());
    } else {
        debug_text("%s  d%d,d%d", extended, op_low_register(), op_register());
    }
}

// Dn,<ea>; mode 1 is CMPM.
void eor_or_compare_memory(const char* eor, const char* cmp) {
    debug_ea(inst);
    if (op_mode() == 1)
        debug_text("%s   (a%d)+,(a%d)+", cmp, op_low_register(), op_register());
    else
        debug_text("%s   d%d,%s", eor, op_register(), eabuffer);
}

}  // namespace

void m68_sub_d_n_b() { ea_to_data("sub.b"); }
void m68_sub_d_n_w() { ea_to_data("sub  "); }
void m68_sub_d_n_l() { ea_to_data("sub.l"); }
void m68_sub_e_n_b() { data_to_ea_or_extended("sub.b", "subx.b"); }
void m68_sub_e_n_w() { data_to_ea_or_extended("sub  ", "subx  "); }
void m68_sub_e_n_l() { data_to_ea_or_extended("sub.l", "subx.l"); }
void m68_suba__n_w() { ea_to_address("sub  "); }
void m68_suba__n_l() { ea_to_address("sub.l"); }

void m68_cmp_d_n_b() { ea_to_data("cmp.b"); }
void m68_cmp_d_n_w() { ea_to_data("cmp  "); }
void m68_cmp_d_n_l() { ea_to_data("cmp.l"); }
void m68_eor_e_n_b() { eor_or_compare_memory("eor.b", "cmp.b"); }
void m68_eor_e_n_w() { eor_or_compare_memory("eor  ", "cmp  "); }
void m68_eor_e_n_l() { eor_or_compare_memory("eor.l", "cmp.l"); }
void m68_cmpa__n_w() { ea_to_address("cmp  "); }
void m68_cmpa__n_l() { ea_to_address("cmp.l"); }

void m68_add_d_n_b() { ea_to_data("add.b"); }
void m68_add_d_n_w() { ea_to_data("add  "); }
void m68_add_d_n_l() { ea_to_data("add.l"); }
void m68_add_e_n_b() { data_to_ea_or_extended("add.b", "addx.b"); }
void m68_add_e_n_w() { data_to_ea_or_extended("add  ", "addx  "); }
void m68_add_e_n_l() { data_to_ea_or_extended("add.l", "addx.l"); }
void m68_adda__n_w() { ea_to_address("add  "); }
void m68_adda__n_l() { ea_to_address("add.l"); }
