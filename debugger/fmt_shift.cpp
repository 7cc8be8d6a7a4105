// Line E: shifts and rotates, register forms and memory forms (by one).
#include <cstdio>

#include "disasm.h"
#include "formatters.h"

namespace {

// Register forms: the kind in bits 4..3 chooses the stem; the count is a data
// register (bit 5 set) or a quick value, 0 meaning 8. No word is read.
void register_shift(const char* suffix) {
    char operands[16];
    if (inst & 0x20) {
        std::snprintf(operands, sizeof operands, "d%d,d%d", op_register(), op_low_register());
    } else {
        unsigned count = op_register() ? op_register() : 8;
        std::snprintf(operands, sizeof operands, "#$%02X,d%d", count, op_low_register());
    }
    switch ((inst >> 3) & 3) {
    case 0: debug_text("as%s   %s", suffix, operands); break;
    case 1: debug_text("ls%s   %s", suffix, operands); break;
    case 2: debug_text("rox%s  %s", suffix, operands); break;
    default: debug_text("ro%s   %s", suffix, operands); break;
    }
}

void memory_shift(const char* mnemonic) {
    debug_ea(inst);
    debug_text("%s%s", mnemonic, eabuffer);
}

}  // namespace

void m68_shr_r_n_b() { register_shift("r.b"); }
void m68_shr_r_n_w() { register_shift("r  "); }
void m68_shr_r_n_l() { register_shift("r.l"); }
void m68_shl_r_n_b() { register_shift("l.b"); }
void m68_shl_r_n_w() { register_shift("l  "); }
void m68_shl_r_n_l() { register_shift("l.l"); }

void m68_asr_m___w() { memory_shift("asr     "); }
void m68_asl_m___w() { memory_shift("asl     "); }
void m68_lsr_m___w() { memory_shift("lsr     "); }
void m68_lsl_m___w() { memory_shift("lsl     "); }
void m68_roxr_m__w() { memory_shift("roxr    "); }
void m68_roxl_m__w() { memory_shift("roxl    "); }
void m68_ror_m___w() { memory_shift("ror     "); }
void m68_rol_m___w() { memory_shift("rol     "); }
