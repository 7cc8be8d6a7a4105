// Line 0: ORI, ANDI, EORI, SUBI, ADDI, CMPI, the static and dynamic bit
// operations, and MOVEP.
#include <cstdio>

#include "disasm.h"
#include "formatters.h"

namespace {

constexpr unsigned kImmediateField = 0x3C;  // EA field of #imm: to CCR or SR here

// The immediate comes first, then the destination. With the EA field 0x3C no
// EA formatter runs: the destination is `special` (ccr, sr or nothing).
void immediate_to_ea(const char* mnemonic, int size, const char* special) {
    uint32_t value = debug_next_word();
    if (size == 4) value = (value << 16) | debug_next_word();
    const char* destination = special;
    if ((inst & 0x3F) != kImmediateField) {
        debug_ea(inst);
        destination = eabuffer;
    }
    switch (size) {
    case 1:
        debug_text("%s   #$%02X,%s", mnemonic, value & 0xFF, destination);
        break;
    case 2:
        debug_text("%s   #$%04X,%s", mnemonic, value, destination);
        break;
    default:
        debug_text("%s   #$%08X,%s", mnemonic, value, destination);
        break;
    }
}

void static_bit(const char* mnemonic) {
    unsigned bit = debug_next_word() & 0xFF;
    debug_ea(inst);
    debug_text("%s    #$%02X,%s", mnemonic, bit, eabuffer);
}

}  // namespace

void m68_ori_____b() { immediate_to_ea("or.b ", 1, "ccr"); }
void m68_ori_____w() { immediate_to_ea("or   ", 2, "sr"); }
void m68_ori_____l() { immediate_to_ea("or.l ", 4, ""); }
void m68_andi____b() { immediate_to_ea("and.b", 1, "ccr"); }
void m68_andi____w() { immediate_to_ea("and  ", 2, "sr"); }
void m68_andi____l() { immediate_to_ea("and.l", 4, ""); }
void m68_eori____b() { immediate_to_ea("eor.b", 1, "ccr"); }
void m68_eori____w() { immediate_to_ea("eor  ", 2, "sr"); }
void m68_eori____l() { immediate_to_ea("eor.l", 4, ""); }
void m68_subi____b() { immediate_to_ea("sub.b", 1, ""); }
void m68_subi____w() { immediate_to_ea("sub  ", 2, ""); }
void m68_subi____l() { immediate_to_ea("sub.l", 4, ""); }
void m68_addi____b() { immediate_to_ea("add.b", 1, ""); }
void m68_addi____w() { immediate_to_ea("add  ", 2, ""); }
void m68_addi____l() { immediate_to_ea("add.l", 4, ""); }
void m68_cmpi____b() { immediate_to_ea("cmp.b", 1, ""); }
void m68_cmpi____w() { immediate_to_ea("cmp  ", 2, ""); }
void m68_cmpi____l() { immediate_to_ea("cmp.l", 4, ""); }

void m68_btst_st_x() { static_bit("btst"); }
void m68_bchg_st_x() { static_bit("bchg"); }
void m68_bclr_st_x() { static_bit("bclr"); }
void m68_bset_st_x() { static_bit("bset"); }

// Bit operations with the bit number in a data register; mode 1 is MOVEP.
void m68_bitopdn_x() {
    if (op_mode() == 1) {
        int32_t displacement = static_cast<int16_t>(debug_next_word());
        char memory[16];
        std::snprintf(memory, sizeof memory, "%c$%04X(a%d)", sign_char(displacement),
                      magnitude(displacement), op_low_register());
        const char* size = (inst & 0x40) ? ".l" : "  ";
        if (inst & 0x80)
            debug_text("movep%s d%d,%s", size, op_register(), memory);
        else
            debug_text("movep%s %s,d%d", size, memory, op_register());
        return;
    }
    debug_ea(inst);
    static constexpr const char* kNames[4] = {"btst", "bchg", "bclr", "bset"};
    debug_text("%s    d%d,%s", kNames[op_size_field()], op_register(), eabuffer);
}
