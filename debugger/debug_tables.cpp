// The decoding tables: debugmap and opsize by opcode bits 15..6, and
// debugspecialmap for the miscellaneous group 0x4E40-0x4E7F. Computed at
// compile time from the opcode classification below.
#include "disasm.h"
#include "formatters.h"

void m68_unrecog_x() { debug_text("unrecognized"); }

namespace {

struct Group {
    debug_formatter formatter;
    uint8_t immediate_size;  // bytes of an immediate operand (EA 0x3C)
};

constexpr Group kUnrecognized = {&m68_unrecog_x, 0};

// Byte, word and long members of a family, by size field 0 to 2.
constexpr Group sized(unsigned size_field, debug_formatter byte, debug_formatter word,
                      debug_formatter longword) {
    switch (size_field) {
    case 0: return {byte, 1};
    case 1: return {word, 2};
    case 2: return {longword, 4};
    default: return kUnrecognized;
    }
}

constexpr Group line0(unsigned group) {
    if (group & 0x04) return {&m68_bitopdn_x, 0};  // bit 8 set: Dn bit operations, MOVEP
    unsigned size = group & 3;
    switch (group >> 3) {  // opcode bits 11..9
    case 0: return sized(size, &m68_ori_____b, &m68_ori_____w, &m68_ori_____l);
    case 1: return sized(size, &m68_andi____b, &m68_andi____w, &m68_andi____l);
    case 2: return sized(size, &m68_subi____b, &m68_subi____w, &m68_subi____l);
    case 3: return sized(size, &m68_addi____b, &m68_addi____w, &m68_addi____l);
    case 4: {
        constexpr debug_formatter bit_ops[4] = {&m68_btst_st_x, &m68_bchg_st_x, &m68_bclr_st_x,
                                                &m68_bset_st_x};
        return {bit_ops[size], 0};
    }
    case 5: return sized(size, &m68_eori____b, &m68_eori____w, &m68_eori____l);
    case 6: return sized(size, &m68_cmpi____b, &m68_cmpi____w, &m68_cmpi____l);
    default: return kUnrecognized;
    }
}

constexpr Group line4(unsigned group) {
    switch (group & 7) {  // opmode
    case 4:
    case 5: return kUnrecognized;
    case 6: return {&m68_chk___n_w, 2};
    case 7: return {&m68_lea___n_l, 4};
    default: break;
    }
    unsigned size = group & 3;
    switch (group & 0x3C) {  // opcode bits 11..8
    case 0x00: return size == 3 ? Group{&m68_movefsr_w, 2}
                                : sized(size, &m68_negx____b, &m68_negx____w, &m68_negx____l);
    case 0x08: return size == 3 ? Group{&m68_movefcc_w, 1}
                                : sized(size, &m68_clr_____b, &m68_clr_____w, &m68_clr_____l);
    case 0x10: return size == 3 ? Group{&m68_move2cc_w, 1}
                                : sized(size, &m68_neg_____b, &m68_neg_____w, &m68_neg_____l);
    case 0x18: return size == 3 ? Group{&m68_move2sr_w, 2}
                                : sized(size, &m68_not_____b, &m68_not_____w, &m68_not_____l);
    case 0x20: {
        constexpr Group members[4] = {{&m68_nbcd____b, 1}, {&m68_pea_____l, 4},
                                      {&m68_movem___w, 2}, {&m68_movem___l, 4}};
        return members[size];
    }
    case 0x28: return size == 3 ? Group{&m68_tas_____b, 1}
                                : sized(size, &m68_tst_____b, &m68_tst_____w, &m68_tst_____l);
    case 0x30: {
        constexpr Group members[4] = {kUnrecognized, kUnrecognized, {&m68_movem_r_w, 2},
                                      {&m68_movem_r_l, 4}};
        return members[size];
    }
    case 0x38: {
        constexpr Group members[4] = {kUnrecognized, {&m68_special_x, 2}, {&m68_jsr_____x, 0},
                                      {&m68_jmp_____x, 0}};
        return members[size];
    }
    default: return kUnrecognized;
    }
}

constexpr Group line5(unsigned group) {
    unsigned size = group & 3;
    if (size == 3) return {&m68_scc_dbcc_x, 0};
    if (group & 0x04) return sized(size, &m68_subq__n_b, &m68_subq__n_w, &m68_subq__n_l);
    return sized(size, &m68_addq__n_b, &m68_addq__n_w, &m68_addq__n_l);
}

// Lines 8, 9, B, C and D share one layout by opmode: three sizes of
// <ea>,Dn, a word form (opmode 3), three sizes of Dn,<ea>, a long form
// (opmode 7).
struct OpmodeLayout {
    Group members[8];
};

constexpr OpmodeLayout kLine8 = {{{&m68_or__d_n_b, 1}, {&m68_or__d_n_w, 2}, {&m68_or__d_n_l, 4},
                                  {&m68_divu__n_w, 2}, {&m68_or__e_n_b, 1}, {&m68_or__e_n_w, 2},
                                  {&m68_or__e_n_l, 4}, {&m68_divs__n_w, 2}}};
constexpr OpmodeLayout kLine9 = {{{&m68_sub_d_n_b, 1}, {&m68_sub_d_n_w, 2}, {&m68_sub_d_n_l, 4},
                                  {&m68_suba__n_w, 2}, {&m68_sub_e_n_b, 1}, {&m68_sub_e_n_w, 2},
                                  {&m68_sub_e_n_l, 4}, {&m68_suba__n_l, 4}}};
constexpr OpmodeLayout kLineB = {{{&m68_cmp_d_n_b, 1}, {&m68_cmp_d_n_w, 2}, {&m68_cmp_d_n_l, 4},
                                  {&m68_cmpa__n_w, 2}, {&m68_eor_e_n_b, 1}, {&m68_eor_e_n_w, 2},
                                  {&m68_eor_e_n_l, 4}, {&m68_cmpa__n_l, 4}}};
constexpr OpmodeLayout kLineC = {{{&m68_and_d_n_b, 1}, {&m68_and_d_n_w, 2}, {&m68_and_d_n_l, 4},
                                  {&m68_mulu__n_w, 2}, {&m68_and_e_n_b, 1}, {&m68_and_e_n_w, 2},
                                  {&m68_and_e_n_l, 4}, {&m68_muls__n_w, 2}}};
constexpr OpmodeLayout kLineD = {{{&m68_add_d_n_b, 1}, {&m68_add_d_n_w, 2}, {&m68_add_d_n_l, 4},
                                  {&m68_adda__n_w, 2}, {&m68_add_e_n_b, 1}, {&m68_add_e_n_w, 2},
                                  {&m68_add_e_n_l, 4}, {&m68_adda__n_l, 4}}};

constexpr Group lineE(unsigned group) {
    unsigned size = group & 3;
    if (size == 3) {
        if (group & 0x20) return kUnrecognized;  // opcode bit 11: no such memory shift
        constexpr debug_formatter memory[8] = {&m68_asr_m___w, &m68_asl_m___w, &m68_lsr_m___w,
                                               &m68_lsl_m___w, &m68_roxr_m__w, &m68_roxl_m__w,
                                               &m68_ror_m___w, &m68_rol_m___w};
        return {memory[(group >> 2) & 7], 2};
    }
    if (group & 0x04) return sized(size, &m68_shl_r_n_b, &m68_shl_r_n_w, &m68_shl_r_n_l);
    return sized(size, &m68_shr_r_n_b, &m68_shr_r_n_w, &m68_shr_r_n_l);
}

constexpr Group classify(unsigned group) {
    unsigned low = group & 0x3F;
    switch (group >> 6) {  // opcode line
    case 0x0: return line0(low);
    case 0x1: return {&m68_move____b, 1};
    case 0x2: return {&m68_move____l, 4};
    case 0x3: return {&m68_move____w, 2};
    case 0x4: return line4(low);
    case 0x5: return line5(low);
    case 0x6: return {&m68_bcc_x, 0};
    case 0x7: return (low & 0x04) ? kUnrecognized : Group{&m68_moveq_n_l, 4};
    case 0x8: return kLine8.members[low & 7];
    case 0x9: return kLine9.members[low & 7];
    case 0xB: return kLineB.members[low & 7];
    case 0xC: return kLineC.members[low & 7];
    case 0xD: return kLineD.members[low & 7];
    case 0xE: return lineE(low);
    default: return kUnrecognized;  // lines A and F
    }
}

constexpr std::array<debug_formatter, 1024> build_debugmap() {
    std::array<debug_formatter, 1024> table{};
    for (unsigned group = 0; group < 1024; ++group) table[group] = classify(group).formatter;
    return table;
}

constexpr std::array<uint8_t, 1024> build_opsize() {
    std::array<uint8_t, 1024> table{};
    for (unsigned group = 0; group < 1024; ++group) table[group] = classify(group).immediate_size;
    return table;
}

constexpr debug_formatter special(unsigned low) {
    if (low < 0x10) return &m68_trap_nn_x;
    if (low < 0x18) return &m68_link_an_w;
    if (low < 0x20) return &m68_unlk_an_x;
    if (low < 0x28) return &m68_move_2u_l;
    if (low < 0x30) return &m68_move_fu_l;
    switch (low) {
    case 0x30: return &m68_reset___x;
    case 0x31: return &m68_nop_____x;
    case 0x32: return &m68_stop____x;
    case 0x33: return &m68_rte_____x;
    case 0x34: return &m68_rtd_____x;
    case 0x35: return &m68_rts_____x;
    case 0x36: return &m68_trapv___x;
    case 0x37: return &m68_rtr_____x;
    case 0x3A: return &m68_movec_r_x;
    case 0x3B: return &m68_movec_c_x;
    default: return &m68_unrecog_x;
    }
}

constexpr std::array<debug_formatter, 64> build_debugspecialmap() {
    std::array<debug_formatter, 64> table{};
    for (unsigned low = 0; low < 64; ++low) table[low] = special(low);
    return table;
}

}  // namespace

constexpr std::array<debug_formatter, 1024> debugmap = build_debugmap();
constexpr std::array<uint8_t, 1024> opsize = build_opsize();
constexpr std::array<debug_formatter, 64> debugspecialmap = build_debugspecialmap();
