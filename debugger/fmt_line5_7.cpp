// Lines 5 to 7: ADDQ, SUBQ, Scc, DBcc, BRA, BSR, Bcc and MOVEQ.
#include "disasm.h"
#include "formatters.h"

namespace {

constexpr const char* kSetMnemonics[16] = {"st ", "sf ", "shi", "sls", "scc", "scs", "sne", "seq",
                                           "svc", "svs", "spl", "smi", "sge", "slt", "sgt", "sle"};
constexpr const char* kDecrementMnemonics[16] = {"dbt ", "dbra", "dbhi", "dbls", "dbcc", "dbcs",
                                                 "dbne", "dbeq", "dbvc", "dbvs", "dbpl", "dbmi",
                                                 "dbge", "dblt", "dbgt", "dble"};
constexpr const char* kBranchMnemonics[16] = {"bra", "bsr", "bhi", "bls", "bcc", "bcs", "bne", "beq",
                                              "bvc", "bvs", "bpl", "bmi", "bge", "blt", "bgt", "ble"};

void quick(const char* mnemonic) {
    debug_ea(inst);
    unsigned value = op_register() ? op_register() : 8;
    debug_text("%s   #%d,%s", mnemonic, value, eabuffer);
}

}  // namespace

void m68_addq__n_b() { quick("add.b"); }
void m68_addq__n_w() { quick("add  "); }
void m68_addq__n_l() { quick("add.l"); }
void m68_subq__n_b() { quick("sub.b"); }
void m68_subq__n_w() { quick("sub  "); }
void m68_subq__n_l() { quick("sub.l"); }

// Mode 1 is DBcc, whose target is the displacement word's address plus the
// displacement; every other mode is Scc.
void m68_scc_dbcc_x() {
    debug_ea(inst);
    if (op_mode() == 1) {
        uint32_t base = debugpc;
        int32_t displacement = static_cast<int16_t>(debug_next_word());
        debug_text("%s    d%d,($%06X)", kDecrementMnemonics[op_condition()], op_low_register(),
                   base + static_cast<uint32_t>(displacement));
        return;
    }
    debug_text("%s     %s", kSetMnemonics[op_condition()], eabuffer);
}

// The target is the opcode's address + 2 + the displacement: the low byte,
// or when that is 0 the word that follows.
void m68_bcc_x() {
    uint32_t base = debugpc;
    int32_t displacement = static_cast<int8_t>(inst & 0xFF);
    if (displacement == 0) displacement = static_cast<int16_t>(debug_next_word());
    debug_text("%s     ($%06X)", kBranchMnemonics[op_condition()],
               base + static_cast<uint32_t>(displacement));
}

void m68_moveq_n_l() { debug_text("moveq   #$%02X,d%d", inst & 0xFF, op_register()); }
