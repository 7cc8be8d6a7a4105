// The instruction formatters the decoding tables point at. Each reads `inst`
// and the words after it and leaves the instruction text in sdebug.
#pragma once

// Line 0: immediate operations, static and dynamic bit operations, MOVEP.
void m68_ori_____b();
void m68_ori_____w();
void m68_ori_____l();
void m68_andi____b();
void m68_andi____w();
void m68_andi____l();
void m68_eori____b();
void m68_eori____w();
void m68_eori____l();
void m68_subi____b();
void m68_subi____w();
void m68_subi____l();
void m68_addi____b();
void m68_addi____w();
void m68_addi____l();
void m68_cmpi____b();
void m68_cmpi____w();
void m68_cmpi____l();
void m68_btst_st_x();
void m68_bchg_st_x();
void m68_bclr_st_x();
void m68_bset_st_x();
void m68_bitopdn_x();

// Lines 1 to 3.
void m68_move____b();
void m68_move____w();
void m68_move____l();

// Line 4.
void m68_negx____b();
void m68_negx____w();
void m68_negx____l();
void m68_clr_____b();
void m68_clr_____w();
void m68_clr_____l();
void m68_neg_____b();
void m68_neg_____w();
void m68_neg_____l();
void m68_not_____b();
void m68_not_____w();
void m68_not_____l();
void m68_tst_____b();
void m68_tst_____w();
void m68_tst_____l();
void m68_movefsr_w();
void m68_movefcc_w();
void m68_move2cc_w();
void m68_move2sr_w();
void m68_chk___n_w();
void m68_lea___n_l();
void m68_nbcd____b();
void m68_pea_____l();
void m68_movem___w();
void m68_movem___l();
void m68_tas_____b();
void m68_movem_r_w();
void m68_movem_r_l();
void m68_special_x();
void m68_jsr_____x();
void m68_jmp_____x();

// Miscellaneous instructions 0x4E40-0x4E7F (debugspecialmap).
void m68_trap_nn_x();
void m68_link_an_w();
void m68_unlk_an_x();
void m68_move_2u_l();
void m68_move_fu_l();
void m68_reset___x();
void m68_nop_____x();
void m68_stop____x();
void m68_rte_____x();
void m68_rtd_____x();
void m68_rts_____x();
void m68_trapv___x();
void m68_rtr_____x();
void m68_movec_r_x();
void m68_movec_c_x();

// Lines 5 to 7. One formatter serves each condition family; it reads the
// condition from the opcode.
void m68_addq__n_b();
void m68_addq__n_w();
void m68_addq__n_l();
void m68_subq__n_b();
void m68_subq__n_w();
void m68_subq__n_l();
void m68_scc_dbcc_x();  // Scc and DBcc, conditions 0 to 15
void m68_bcc_x();       // BRA, BSR and Bcc, conditions 0 to 15
void m68_moveq_n_l();

// Lines 8 and C: OR, AND, DIVU/DIVS, MULU/MULS, SBCD/ABCD, EXG.
void m68_or__d_n_b();
void m68_or__d_n_w();
void m68_or__d_n_l();
void m68_or__e_n_b();
void m68_or__e_n_w();
void m68_or__e_n_l();
void m68_divu__n_w();
void m68_divs__n_w();
void m68_and_d_n_b();
void m68_and_d_n_w();
void m68_and_d_n_l();
void m68_and_e_n_b();
void m68_and_e_n_w();
void m68_and_e_n_l();
void m68_mulu__n_w();
void m68_muls__n_w();

// Lines 9, B and D: SUB, CMP, EOR, ADD with their address and extended forms.
void m68_sub_d_n_b();
void m68_sub_d_n_w();
void m68_sub_d_n_l();
void m68_sub_e_n_b();
void m68_sub_e_n_w();
void m68_sub_e_n_l();
void m68_suba__n_w();
void m68_suba__n_l();
void m68_cmp_d_n_b();
void m68_cmp_d_n_w();
void m68_cmp_d_n_l();
void m68_eor_e_n_b();
void m68_eor_e_n_w();
void m68_eor_e_n_l();
void m68_cmpa__n_w();
void m68_cmpa__n_l();
void m68_add_d_n_b();
void m68_add_d_n_w();
void m68_add_d_n_l();
void m68_add_e_n_b();
void m68_add_e_n_w();
void m68_add_e_n_l();
void m68_adda__n_w();
void m68_adda__n_l();

// Line E.
void m68_shr_r_n_b();
void m68_shr_r_n_w();
void m68_shr_r_n_l();
void m68_shl_r_n_b();
void m68_shl_r_n_w();
void m68_shl_r_n_l();
void m68_asr_m___w();
void m68_asl_m___w();
void m68_lsr_m___w();
void m68_lsl_m___w();
void m68_roxr_m__w();
void m68_roxl_m__w();
void m68_ror_m___w();
void m68_rol_m___w();

// Every group without an instruction.
void m68_unrecog_x();
