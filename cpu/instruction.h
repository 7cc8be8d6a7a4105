// Selects, for the first opcode of a handler, the instruction family and its
// fixed fields; the rest of the opcode is read at run time.
#pragma once

#include "ops_arith.h"
#include "ops_control.h"
#include "ops_logic.h"
#include "ops_move.h"

namespace m68k {

template <uint16_t OP>
inline Flow instruction(Run& r, uint32_t op) {
    constexpr Decoded d = decode(OP);
    constexpr int S = d.size;
    constexpr Ea E = d.ea;
    constexpr unsigned REG = d.reg;

    if constexpr (d.op == Op::Illegal) return op_exception<VEC_ILLEGAL>(r);
    else if constexpr (d.op == Op::LineA) return op_exception<VEC_LINE_A>(r);
    else if constexpr (d.op == Op::LineF) return op_exception<VEC_LINE_F>(r);
    // line 0
    else if constexpr (d.op == Op::OriCcr) return op_logic_ccr<Logic::Or>(r, op);
    else if constexpr (d.op == Op::AndiCcr) return op_logic_ccr<Logic::And>(r, op);
    else if constexpr (d.op == Op::EoriCcr) return op_logic_ccr<Logic::Eor>(r, op);
    else if constexpr (d.op == Op::OriSr) return op_logic_sr<Logic::Or>(r, op);
    else if constexpr (d.op == Op::AndiSr) return op_logic_sr<Logic::And>(r, op);
    else if constexpr (d.op == Op::EoriSr) return op_logic_sr<Logic::Eor>(r, op);
    else if constexpr (d.op == Op::Ori) return op_logic_imm<Logic::Or, S, E>(r, op);
    else if constexpr (d.op == Op::Andi) return op_logic_imm<Logic::And, S, E>(r, op);
    else if constexpr (d.op == Op::Eori) return op_logic_imm<Logic::Eor, S, E>(r, op);
    else if constexpr (d.op == Op::Addi) return op_arith_imm<Arith::Add, S, E>(r, op);
    else if constexpr (d.op == Op::Subi) return op_arith_imm<Arith::Sub, S, E>(r, op);
    else if constexpr (d.op == Op::Cmpi) return op_arith_imm<Arith::Cmp, S, E>(r, op);
    else if constexpr (d.op == Op::BitDyn) return op_bit<d.cond, false, E, REG>(r, op);
    else if constexpr (d.op == Op::BitImm) return op_bit<d.cond, true, E, 0>(r, op);
    else if constexpr (d.op == Op::MovepToReg) return op_movep<S, false, REG>(r, op);
    else if constexpr (d.op == Op::MovepToMem) return op_movep<S, true, REG>(r, op);
    // lines 1-3
    else if constexpr (d.op == Op::Move) return op_move<S, E, d.dst, REG>(r, op);
    else if constexpr (d.op == Op::Movea) return op_movea<S, E, REG>(r, op);
    // line 4
    else if constexpr (d.op == Op::Negx) return op_neg<true, S, E>(r, op);
    else if constexpr (d.op == Op::Neg) return op_neg<false, S, E>(r, op);
    else if constexpr (d.op == Op::Clr) return op_clr<S, E>(r, op);
    else if constexpr (d.op == Op::Not) return op_not<S, E>(r, op);
    else if constexpr (d.op == Op::Tst) return op_tst<S, E>(r, op);
    else if constexpr (d.op == Op::MoveFromSr) return op_move_from_sr<E>(r, op);
    else if constexpr (d.op == Op::MoveToCcr) return op_move_to_ccr<E>(r, op);
    else if constexpr (d.op == Op::MoveToSr) return op_move_to_sr<E>(r, op);
    else if constexpr (d.op == Op::Nbcd) return op_nbcd<E>(r, op);
    else if constexpr (d.op == Op::Swap) return op_swap(r, op);
    else if constexpr (d.op == Op::Pea) return op_pea<E>(r, op);
    else if constexpr (d.op == Op::Ext) return op_ext<S>(r, op);
    else if constexpr (d.op == Op::MovemToMem) return op_movem_to_mem<S, E>(r, op);
    else if constexpr (d.op == Op::MovemToReg) return op_movem_to_reg<S, E>(r, op);
    else if constexpr (d.op == Op::Tas) return op_tas<E>(r, op);
    else if constexpr (d.op == Op::Chk) return op_chk<E, REG>(r, op);
    else if constexpr (d.op == Op::Lea) return op_lea<E, REG>(r, op);
    else if constexpr (d.op == Op::Trap) return op_trap(r, op);
    else if constexpr (d.op == Op::Link) return op_link(r, op);
    else if constexpr (d.op == Op::Unlk) return op_unlk(r, op);
    else if constexpr (d.op == Op::MoveToUsp) return op_move_usp<true>(r, op);
    else if constexpr (d.op == Op::MoveFromUsp) return op_move_usp<false>(r, op);
    else if constexpr (d.op == Op::Reset) return op_reset(r);
    else if constexpr (d.op == Op::Nop) return op_nop(r);
    else if constexpr (d.op == Op::Stop) return op_stop(r);
    else if constexpr (d.op == Op::Rte) return op_rte(r);
    else if constexpr (d.op == Op::Rts) return op_rts(r);
    else if constexpr (d.op == Op::Trapv) return op_trapv(r);
    else if constexpr (d.op == Op::Rtr) return op_rtr(r);
    else if constexpr (d.op == Op::Jsr) return op_jsr<E>(r, op);
    else if constexpr (d.op == Op::Jmp) return op_jmp<E>(r, op);
    // line 5
    else if constexpr (d.op == Op::Addq) return op_quick<Arith::Add, S, E, REG>(r, op);
    else if constexpr (d.op == Op::Subq) return op_quick<Arith::Sub, S, E, REG>(r, op);
    else if constexpr (d.op == Op::Scc) return op_scc<E, d.cond>(r, op);
    else if constexpr (d.op == Op::Dbcc) return op_dbcc<d.cond>(r, op);
    // line 6
    else if constexpr (d.op == Op::Bra || d.op == Op::Bsr || d.op == Op::Bcc)
        return op_branch<d.op, d.cond, S == 2>(r, op);
    // line 7
    else if constexpr (d.op == Op::Moveq) return op_moveq<REG>(r, op);
    // lines 8, 9, B, C, D
    else if constexpr (d.op == Op::OrToReg) return op_logic_to_reg<Logic::Or, S, E, REG>(r, op);
    else if constexpr (d.op == Op::OrToMem) return op_logic_to_ea<Logic::Or, S, E, REG>(r, op);
    else if constexpr (d.op == Op::AndToReg) return op_logic_to_reg<Logic::And, S, E, REG>(r, op);
    else if constexpr (d.op == Op::AndToMem) return op_logic_to_ea<Logic::And, S, E, REG>(r, op);
    else if constexpr (d.op == Op::Eor) return op_logic_to_ea<Logic::Eor, S, E, REG>(r, op);
    else if constexpr (d.op == Op::Divu) return op_div<false, E, REG>(r, op);
    else if constexpr (d.op == Op::Divs) return op_div<true, E, REG>(r, op);
    else if constexpr (d.op == Op::Mulu) return op_mul<false, E, REG>(r, op);
    else if constexpr (d.op == Op::Muls) return op_mul<true, E, REG>(r, op);
    else if constexpr (d.op == Op::Sbcd) return op_bcd<Bcd::Sub, d.mem_form, REG>(r, op);
    else if constexpr (d.op == Op::Abcd) return op_bcd<Bcd::Add, d.mem_form, REG>(r, op);
    else if constexpr (d.op == Op::Exg) return op_exg<d.cond, REG>(r, op);
    else if constexpr (d.op == Op::AddToReg) return op_arith_to_reg<Arith::Add, S, E, REG>(r, op);
    else if constexpr (d.op == Op::SubToReg) return op_arith_to_reg<Arith::Sub, S, E, REG>(r, op);
    else if constexpr (d.op == Op::Cmp) return op_arith_to_reg<Arith::Cmp, S, E, REG>(r, op);
    else if constexpr (d.op == Op::AddToMem) return op_arith_to_mem<Arith::Add, S, E, REG>(r, op);
    else if constexpr (d.op == Op::SubToMem) return op_arith_to_mem<Arith::Sub, S, E, REG>(r, op);
    else if constexpr (d.op == Op::Adda) return op_arith_address<Arith::Add, S, E, REG>(r, op);
    else if constexpr (d.op == Op::Suba) return op_arith_address<Arith::Sub, S, E, REG>(r, op);
    else if constexpr (d.op == Op::Cmpa) return op_arith_address<Arith::Cmp, S, E, REG>(r, op);
    else if constexpr (d.op == Op::Addx) return op_arith_x<true, S, d.mem_form, REG>(r, op);
    else if constexpr (d.op == Op::Subx) return op_arith_x<false, S, d.mem_form, REG>(r, op);
    else if constexpr (d.op == Op::Cmpm) return op_cmpm<S, REG>(r, op);
    // line E
    else if constexpr (d.op == Op::ShiftReg)
        return op_shift_reg<static_cast<Shift>(d.cond), d.left, S, d.count_reg, REG>(r, op);
    else if constexpr (d.op == Op::ShiftMem)
        return op_shift_mem<static_cast<Shift>(d.cond), d.left, E>(r, op);
    else static_assert(d.op == Op::Illegal, "opcode family without an implementation");
}

}  // namespace m68k
