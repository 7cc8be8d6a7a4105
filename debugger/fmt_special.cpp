// The miscellaneous instructions 0x4E40-0x4E7F, indexed by bits 5..0 in
// debugspecialmap, with the 68010's MOVEC and RTD.
#include "disasm.h"
#include "formatters.h"

namespace {

// MOVEC names its control register in the low twelve bits of the extension word.
const char* control_register(uint16_t extension) {
    switch (extension & 0x0FFF) {
    case 0x000: return "sfc";
    case 0x001: return "dfc";
    case 0x800: return "usp";
    case 0x801: return "vbr";
    default: return "???";
    }
}

char general_kind(uint16_t extension) { return (extension & 0x8000) ? 'a' : 'd'; }
int general_number(uint16_t extension) { return (extension >> 12) & 7; }

}  // namespace

void m68_trap_nn_x() { debug_text("trap    #%d", inst & 15); }

void m68_link_an_w() {
    int32_t displacement = static_cast<int16_t>(debug_next_word());
    debug_text("link    a%d,%c#$%04X", op_low_register(), sign_char(displacement),
               magnitude(displacement));
}

void m68_unlk_an_x() { debug_text("unlk    a%d", op_low_register()); }
void m68_move_2u_l() { debug_text("move.l  a%d,usp", op_low_register()); }
void m68_move_fu_l() { debug_text("move.l  usp,a%d", op_low_register()); }
void m68_reset___x() { debug_text("reset"); }
void m68_nop_____x() { debug_text("nop"); }
void m68_stop____x() { debug_text("stop    #$%04X", debug_next_word()); }
void m68_rte_____x() { debug_text("rte"); }

void m68_rtd_____x() {
    int32_t displacement = static_cast<int16_t>(debug_next_word());
    debug_text("rtd     %c#$%04X", sign_char(displacement), magnitude(displacement));
}

void m68_rts_____x() { debug_text("rts"); }
void m68_trapv___x() { debug_text("trapv"); }
void m68_rtr_____x() { debug_text("rtr"); }

void m68_movec_r_x() {
    uint16_t extension = debug_next_word();
    debug_text("movec   %s,%c%d", control_register(extension), general_kind(extension),
               general_number(extension));
}

void m68_movec_c_x() {
    uint16_t extension = debug_next_word();
    debug_text("movec   %c%d,%s", general_kind(extension), general_number(extension),
               control_register(extension));
}
