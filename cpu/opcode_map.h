// The one classification of the 65536 opcode words. It decides which
// instruction every opcode is, which fields its handler fixes and which it
// reads at run time; the dispatch table, the handlers and the tests all derive
// from it.
#pragma once

#include <cstdint>

namespace m68k {

// Effective address kinds (mode 7 split by its register field).
enum Ea : uint8_t {
    EA_DN, EA_AN, EA_IND, EA_POST, EA_PRE, EA_DISP, EA_INDEX,
    EA_ABSW, EA_ABSL, EA_PCDISP, EA_PCINDEX, EA_IMM,
    EA_NONE
};

constexpr Ea ea_of(unsigned mode, unsigned reg) {
    if (mode < 7) return static_cast<Ea>(mode);
    if (reg <= 4) return static_cast<Ea>(EA_ABSW + reg);
    return EA_NONE;
}
constexpr Ea ea_of_field(unsigned six) { return ea_of((six >> 3) & 7, six & 7); }

// Addressing categories.
constexpr bool is_data(Ea e) { return e != EA_AN && e != EA_NONE; }
constexpr bool is_memory(Ea e) { return e >= EA_IND && e <= EA_IMM; }
constexpr bool is_control(Ea e) {
    return e == EA_IND || e == EA_DISP || e == EA_INDEX || e == EA_ABSW || e == EA_ABSL ||
           e == EA_PCDISP || e == EA_PCINDEX;
}
constexpr bool is_alterable(Ea e) { return e <= EA_ABSL; }
constexpr bool is_data_alterable(Ea e) { return e <= EA_ABSL && e != EA_AN; }
constexpr bool is_memory_alterable(Ea e) { return e >= EA_IND && e <= EA_ABSL; }
constexpr bool is_control_alterable(Ea e) {
    return e == EA_IND || e == EA_DISP || e == EA_INDEX || e == EA_ABSW || e == EA_ABSL;
}
// The EA register (bits 2-0) is read at run time for modes 0 to 6.
constexpr bool has_register(Ea e) { return e <= EA_INDEX; }

enum class Op : uint8_t {
    Illegal, LineA, LineF,
    // line 0
    OriCcr, OriSr, AndiCcr, AndiSr, EoriCcr, EoriSr,
    Ori, Andi, Subi, Addi, Eori, Cmpi,
    BitDyn, BitImm,  // cond field: 0 BTST, 1 BCHG, 2 BCLR, 3 BSET
    MovepToReg, MovepToMem,
    // lines 1-3
    Move, Movea,
    // line 4
    Negx, Clr, Neg, Not, Tst, MoveFromSr, MoveToCcr, MoveToSr, Nbcd, Swap, Pea, Ext,
    MovemToMem, MovemToReg, Tas, Chk, Lea, Trap, Link, Unlk, MoveToUsp, MoveFromUsp,
    Reset, Nop, Stop, Rte, Rts, Trapv, Rtr, Jsr, Jmp,
    // line 5
    Addq, Subq, Scc, Dbcc,
    // line 6
    Bra, Bsr, Bcc,
    // line 7
    Moveq,
    // lines 8, 9, B, C, D
    OrToReg, OrToMem, Divu, Divs, Sbcd,
    SubToReg, SubToMem, Suba, Subx,
    Cmp, Cmpa, Cmpm, Eor,
    AndToReg, AndToMem, Mulu, Muls, Abcd, Exg,
    AddToReg, AddToMem, Adda, Addx,
    // line E
    ShiftReg, ShiftMem,
};

// Shift kinds (bits 4-3 of a register shift, bits 10-9 of a memory shift).
enum Shift : uint8_t { SH_AS, SH_LS, SH_ROX, SH_RO };

struct Decoded {
    Op op = Op::Illegal;
    uint8_t size = 0;     // operand size in bytes: 1, 2 or 4 (0 when none)
    Ea ea = EA_NONE;      // the main effective address (bits 5-0)
    Ea dst = EA_NONE;     // MOVE destination (bits 11-6)
    uint8_t reg = 0;      // register field, bits 11-9 (or quick data, count)
    uint8_t cond = 0;     // condition (Bcc, Scc, DBcc), bit op kind, shift kind
    bool left = false;    // shift direction; register (not immediate) count; memory operand forms
    bool count_reg = false;
    bool mem_form = false;  // ADDX/SUBX/ABCD/SBCD -(An) forms; EXG variant via cond
    bool reg_runtime = false;  // bits 2-0 are read at run time
};

namespace detail {

constexpr Decoded make(Op op, uint8_t size, Ea ea, uint8_t reg = 0) {
    Decoded d;
    d.op = op;
    d.size = size;
    d.ea = ea;
    d.reg = reg;
    d.reg_runtime = has_register(ea);
    return d;
}

constexpr Decoded illegal() { return Decoded{}; }

// Register-only forms: bits 2-0 name a register read at run time.
constexpr Decoded regform(Op op, uint8_t size, uint8_t reg = 0) {
    Decoded d;
    d.op = op;
    d.size = size;
    d.reg = reg;
    d.reg_runtime = true;
    return d;
}

constexpr uint8_t size_of(unsigned bits76) { return bits76 == 0 ? 1 : bits76 == 1 ? 2 : bits76 == 2 ? 4 : 0; }

constexpr Decoded line0(uint16_t op) {
    const unsigned six = op & 0x3F;
    const Ea ea = ea_of_field(six);
    const unsigned mode = (op >> 3) & 7;
    const uint8_t reg = (op >> 9) & 7;
    switch (op) {
        case 0x003C: return make(Op::OriCcr, 1, EA_NONE);
        case 0x007C: return make(Op::OriSr, 2, EA_NONE);
        case 0x023C: return make(Op::AndiCcr, 1, EA_NONE);
        case 0x027C: return make(Op::AndiSr, 2, EA_NONE);
        case 0x0A3C: return make(Op::EoriCcr, 1, EA_NONE);
        case 0x0A7C: return make(Op::EoriSr, 2, EA_NONE);
        default: break;
    }
    if (op & 0x0100) {
        if (mode == 1) {
            Decoded d = regform((op & 0x80) ? Op::MovepToMem : Op::MovepToReg, (op & 0x40) ? 4 : 2, reg);
            return d;
        }
        const unsigned kind = (op >> 6) & 3;
        if (kind == 0 ? !is_data(ea) : !is_data_alterable(ea)) return illegal();
        Decoded d = make(Op::BitDyn, ea == EA_DN ? 4 : 1, ea, reg);
        d.cond = static_cast<uint8_t>(kind);
        return d;
    }
    const unsigned which = (op >> 9) & 7;
    if (which == 4) {
        const unsigned kind = (op >> 6) & 3;
        bool ok = kind == 0 ? (is_data(ea) && (ea != EA_IMM || op == 0x083C)) : is_data_alterable(ea);
        if (!ok) return illegal();
        Decoded d = make(Op::BitImm, ea == EA_DN ? 4 : 1, ea);
        d.cond = static_cast<uint8_t>(kind);
        return d;
    }
    const uint8_t size = size_of((op >> 6) & 3);
    if (!size || !is_data_alterable(ea)) return illegal();
    switch (which) {
        case 0: return make(Op::Ori, size, ea);
        case 1: return make(Op::Andi, size, ea);
        case 2: return make(Op::Subi, size, ea);
        case 3: return make(Op::Addi, size, ea);
        case 5: return make(Op::Eori, size, ea);
        case 6: return make(Op::Cmpi, size, ea);
        default: return illegal();
    }
}

constexpr Decoded move(uint16_t op) {
    const unsigned line = op >> 12;
    const uint8_t size = line == 1 ? 1 : line == 3 ? 2 : 4;
    const Ea src = ea_of_field(op & 0x3F);
    const Ea dst = ea_of((op >> 6) & 7, (op >> 9) & 7);
    if (src == EA_NONE) return illegal();
    if (dst == EA_AN) {
        if (size == 1) return illegal();
        return make(Op::Movea, size, src, (op >> 9) & 7);
    }
    if (!is_data_alterable(dst)) return illegal();
    Decoded d = make(Op::Move, size, src, (op >> 9) & 7);
    d.dst = dst;
    return d;
}

constexpr Decoded line4(uint16_t op) {
    const Ea ea = ea_of_field(op & 0x3F);
    const unsigned mode = (op >> 3) & 7;
    const uint8_t reg = (op >> 9) & 7;
    const unsigned bits76 = (op >> 6) & 3;
    if (op & 0x0100) {
        if (bits76 == 2 && is_data(ea)) return make(Op::Chk, 2, ea, reg);
        if (bits76 == 3 && is_control(ea)) return make(Op::Lea, 4, ea, reg);
        return illegal();
    }
    switch ((op >> 9) & 7) {
        case 0:
            if (!is_data_alterable(ea)) return illegal();
            return bits76 == 3 ? make(Op::MoveFromSr, 2, ea) : make(Op::Negx, size_of(bits76), ea);
        case 1:
            if (bits76 == 3 || !is_data_alterable(ea)) return illegal();
            return make(Op::Clr, size_of(bits76), ea);
        case 2:
            if (bits76 == 3) return is_data(ea) ? make(Op::MoveToCcr, 2, ea) : illegal();
            return is_data_alterable(ea) ? make(Op::Neg, size_of(bits76), ea) : illegal();
        case 3:
            if (bits76 == 3) return is_data(ea) ? make(Op::MoveToSr, 2, ea) : illegal();
            return is_data_alterable(ea) ? make(Op::Not, size_of(bits76), ea) : illegal();
        case 4:
            switch (bits76) {
                case 0: return is_data_alterable(ea) ? make(Op::Nbcd, 1, ea) : illegal();
                case 1:
                    if (mode == 0) return regform(Op::Swap, 4);
                    return is_control(ea) ? make(Op::Pea, 4, ea) : illegal();
                default:
                    if (mode == 0) return regform(Op::Ext, bits76 == 2 ? 2 : 4);
                    return (is_control_alterable(ea) || ea == EA_PRE)
                               ? make(Op::MovemToMem, bits76 == 2 ? 2 : 4, ea)
                               : illegal();
            }
        case 5:
            if (bits76 == 3) return is_data_alterable(ea) ? make(Op::Tas, 1, ea) : illegal();
            return is_data_alterable(ea) ? make(Op::Tst, size_of(bits76), ea) : illegal();
        case 6:
            if (bits76 < 2) return illegal();
            return (is_control(ea) || ea == EA_POST) ? make(Op::MovemToReg, bits76 == 2 ? 2 : 4, ea)
                                                     : illegal();
        default:  // 0x4E..
            if (bits76 == 2) return is_control(ea) ? make(Op::Jsr, 0, ea) : illegal();
            if (bits76 == 3) return is_control(ea) ? make(Op::Jmp, 0, ea) : illegal();
            if (bits76 == 0) return illegal();
            switch ((op >> 3) & 7) {
                case 0:
                case 1: {
                    Decoded d = make(Op::Trap, 0, EA_NONE);
                    return d;
                }
                case 2: return regform(Op::Link, 2);
                case 3: return regform(Op::Unlk, 4);
                case 4: return regform(Op::MoveToUsp, 4);
                case 5: return regform(Op::MoveFromUsp, 4);
                case 6:
                    switch (op & 7) {
                        case 0: return make(Op::Reset, 0, EA_NONE);
                        case 1: return make(Op::Nop, 0, EA_NONE);
                        case 2: return make(Op::Stop, 0, EA_NONE);
                        case 3: return make(Op::Rte, 0, EA_NONE);
                        case 5: return make(Op::Rts, 0, EA_NONE);
                        case 6: return make(Op::Trapv, 0, EA_NONE);
                        case 7: return make(Op::Rtr, 0, EA_NONE);
                        default: return illegal();
                    }
                default: return illegal();
            }
    }
}

constexpr Decoded line5(uint16_t op) {
    const Ea ea = ea_of_field(op & 0x3F);
    const unsigned bits76 = (op >> 6) & 3;
    if (bits76 == 3) {
        Decoded d;
        if (((op >> 3) & 7) == 1) {
            d = regform(Op::Dbcc, 2);
        } else {
            if (!is_data_alterable(ea)) return illegal();
            d = make(Op::Scc, 1, ea);
        }
        d.cond = (op >> 8) & 15;
        return d;
    }
    const uint8_t size = size_of(bits76);
    if (!is_alterable(ea) || (ea == EA_AN && size == 1)) return illegal();
    return make((op & 0x100) ? Op::Subq : Op::Addq, size, ea, (op >> 9) & 7);
}

constexpr Decoded line6(uint16_t op) {
    const unsigned cond = (op >> 8) & 15;
    Decoded d = make(cond == 0 ? Op::Bra : cond == 1 ? Op::Bsr : Op::Bcc, (op & 0xFF) ? 1 : 2, EA_NONE);
    d.cond = static_cast<uint8_t>(cond);
    return d;
}

// Lines 8, 9, B, C and D share one layout: register field, opmode, EA.
constexpr Decoded arith(uint16_t op) {
    const unsigned line = op >> 12;
    const Ea ea = ea_of_field(op & 0x3F);
    const unsigned mode = (op >> 3) & 7;
    const uint8_t reg = (op >> 9) & 7;
    const unsigned opmode = (op >> 6) & 7;
    const uint8_t size = size_of(opmode & 3);
    auto xform = [&](Op x) {
        Decoded d = regform(x, size, reg);
        d.mem_form = mode == 1;
        return d;
    };
    switch (line) {
        case 0x8:
            if (opmode == 3) return is_data(ea) ? make(Op::Divu, 2, ea, reg) : illegal();
            if (opmode == 7) return is_data(ea) ? make(Op::Divs, 2, ea, reg) : illegal();
            if (opmode < 3) return is_data(ea) ? make(Op::OrToReg, size, ea, reg) : illegal();
            if (mode <= 1) return opmode == 4 ? xform(Op::Sbcd) : illegal();
            return is_memory_alterable(ea) ? make(Op::OrToMem, size, ea, reg) : illegal();
        case 0x9:
        case 0xD: {
            const bool add = line == 0xD;
            if (opmode == 3 || opmode == 7) {
                if (ea == EA_NONE) return illegal();
                return make(add ? Op::Adda : Op::Suba, opmode == 3 ? 2 : 4, ea, reg);
            }
            if (opmode < 3) {
                if (ea == EA_NONE || (ea == EA_AN && size == 1)) return illegal();
                return make(add ? Op::AddToReg : Op::SubToReg, size, ea, reg);
            }
            if (mode <= 1) return xform(add ? Op::Addx : Op::Subx);
            return is_memory_alterable(ea) ? make(add ? Op::AddToMem : Op::SubToMem, size, ea, reg)
                                           : illegal();
        }
        case 0xB:
            if (opmode == 3 || opmode == 7)
                return ea == EA_NONE ? illegal() : make(Op::Cmpa, opmode == 3 ? 2 : 4, ea, reg);
            if (opmode < 3) {
                if (ea == EA_NONE || (ea == EA_AN && size == 1)) return illegal();
                return make(Op::Cmp, size, ea, reg);
            }
            if (mode == 1) return regform(Op::Cmpm, size, reg);
            return is_data_alterable(ea) ? make(Op::Eor, size, ea, reg) : illegal();
        default:  // 0xC
            if (opmode == 3) return is_data(ea) ? make(Op::Mulu, 2, ea, reg) : illegal();
            if (opmode == 7) return is_data(ea) ? make(Op::Muls, 2, ea, reg) : illegal();
            if (opmode < 3) return is_data(ea) ? make(Op::AndToReg, size, ea, reg) : illegal();
            if (opmode == 4 && mode <= 1) return xform(Op::Abcd);
            if (opmode == 5 && mode <= 1) {
                Decoded d = regform(Op::Exg, 4, reg);
                d.cond = mode == 0 ? 0 : 1;  // 0: Dx,Dy  1: Ax,Ay  2: Dx,Ay
                return d;
            }
            if (opmode == 6 && mode == 1) {
                Decoded d = regform(Op::Exg, 4, reg);
                d.cond = 2;
                return d;
            }
            return is_memory_alterable(ea) ? make(Op::AndToMem, size, ea, reg) : illegal();
    }
}

constexpr Decoded lineE(uint16_t op) {
    const unsigned bits76 = (op >> 6) & 3;
    if (bits76 == 3) {
        if (op & 0x0800) return illegal();
        const Ea ea = ea_of_field(op & 0x3F);
        if (!is_memory_alterable(ea)) return illegal();
        Decoded d = make(Op::ShiftMem, 2, ea);
        d.cond = (op >> 9) & 3;
        d.left = (op & 0x100) != 0;
        return d;
    }
    Decoded d = regform(Op::ShiftReg, size_of(bits76), (op >> 9) & 7);
    d.cond = (op >> 3) & 3;
    d.left = (op & 0x100) != 0;
    d.count_reg = (op & 0x20) != 0;
    return d;
}

}  // namespace detail

constexpr Decoded decode(uint16_t op) {
    switch (op >> 12) {
        case 0x0: return detail::line0(op);
        case 0x1:
        case 0x2:
        case 0x3: return detail::move(op);
        case 0x4: return detail::line4(op);
        case 0x5: return detail::line5(op);
        case 0x6: return detail::line6(op);
        case 0x7: {
            if (op & 0x100) return detail::illegal();
            return detail::regform(Op::Moveq, 4, (op >> 9) & 7);
        }
        case 0xA: {
            Decoded d;
            d.op = Op::LineA;
            return d;
        }
        case 0xE: return detail::lineE(op);
        case 0xF: {
            Decoded d;
            d.op = Op::LineF;
            return d;
        }
        default: return detail::arith(op);
    }
}

// The first opcode of the illegal-instruction handler.
constexpr uint16_t first_illegal() {
    for (unsigned op = 0;; ++op)
        if (decode(static_cast<uint16_t>(op)).op == Op::Illegal) return static_cast<uint16_t>(op);
}
constexpr uint16_t ILLEGAL_OPCODE = first_illegal();

// The first opcode of the handler that serves op: op with the fields the
// handler reads at run time cleared. It names the handler.
constexpr uint16_t canonical(uint16_t op) {
    const Decoded d = decode(op);
    switch (d.op) {
        case Op::Illegal: return ILLEGAL_OPCODE;
        case Op::LineA: return 0xA000;
        case Op::LineF: return 0xF000;
        case Op::Bra:
        case Op::Bsr:
        case Op::Bcc: return (op & 0xFF) ? static_cast<uint16_t>((op & 0xFF00) | 1) : op;
        case Op::Moveq: return op & 0xFF00;
        case Op::Trap: return 0x4E40;
        default: return d.reg_runtime ? static_cast<uint16_t>(op & ~7u) : op;
    }
}

}  // namespace m68k
