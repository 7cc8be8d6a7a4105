// All 65,536 opcode words against the official decoding: each one run once
// from a fixed state, exactly the illegal ones take vector 4 and the line
// 1010 and 1111 ones vectors 10 and 11 (34 cycles, pushing their own address);
// every legal one runs without them, and is not named the illegal one; and
// the decoder the dispatch table is built from names each one's instruction
// and operand size as the official decoding does.
#include <nlohmann/json.hpp>

#include <cstdio>
#include <fstream>
#include <string>

#include "core_fixture.h"
#include "diagnostics.h"
#include "opcode_map.h"

#ifndef M68K_OFFICIAL_MAP
#error "M68K_OFFICIAL_MAP must name the official opcode decoding (JSON)"
#endif

namespace {

using namespace coretest;

class OpcodeMap : public CoreTest {};

// The official decoding's name of what the decoder made of an opcode: its
// mnemonic and size as the official map writes them ("ADD.w", "MOVEtoSR").
std::string officialName(const m68k::Decoded& d) {
    using m68k::Op;
    const std::string size = d.size == 1 ? ".b" : d.size == 2 ? ".w" : d.size == 4 ? ".l" : "";
    static const char* const kBits[] = {"BTST", "BCHG", "BCLR", "BSET"};
    static const char* const kShifts[] = {"AS", "LS", "ROX", "RO"};
    switch (d.op) {
        case Op::Illegal: case Op::LineA: case Op::LineF: return "None";
        case Op::OriCcr: return "ORItoCCR";
        case Op::OriSr: return "ORItoSR";
        case Op::AndiCcr: return "ANDItoCCR";
        case Op::AndiSr: return "ANDItoSR";
        case Op::EoriCcr: return "EORItoCCR";
        case Op::EoriSr: return "EORItoSR";
        case Op::Ori: case Op::OrToReg: case Op::OrToMem: return "OR" + size;
        case Op::Andi: case Op::AndToReg: case Op::AndToMem: return "AND" + size;
        case Op::Subi: case Op::Subq: case Op::SubToReg: case Op::SubToMem: return "SUB" + size;
        case Op::Addi: case Op::Addq: case Op::AddToReg: case Op::AddToMem: return "ADD" + size;
        case Op::Eori: case Op::Eor: return "EOR" + size;
        case Op::Cmpi: case Op::Cmp: case Op::Cmpm: return "CMP" + size;
        case Op::BitDyn: case Op::BitImm: return kBits[d.cond & 3];
        case Op::MovepToReg: case Op::MovepToMem: return "MOVEP" + size;
        case Op::Move: return "MOVE" + size;
        case Op::Movea: return "MOVEA" + size;
        case Op::Moveq: return "MOVE.q";
        case Op::Negx: return "NEGX" + size;
        case Op::Clr: return "CLR" + size;
        case Op::Neg: return "NEG" + size;
        case Op::Not: return "NOT" + size;
        case Op::Tst: return "TST" + size;
        case Op::Ext: return "EXT" + size;
        case Op::MovemToMem: case Op::MovemToReg: return "MOVEM" + size;
        case Op::MoveFromSr: return "MOVEfromSR";
        case Op::MoveToCcr: return "MOVEtoCCR";
        case Op::MoveToSr: return "MOVEtoSR";
        case Op::MoveToUsp: return "MOVEtoUSP";
        case Op::MoveFromUsp: return "MOVEfromUSP";
        case Op::Nbcd: return "NBCD";
        case Op::Swap: return "SWAP";
        case Op::Pea: return "PEA";
        case Op::Tas: return "TAS";
        case Op::Chk: return "CHK";
        case Op::Lea: return "LEA";
        case Op::Trap: return "TRAP";
        case Op::Link: return "LINK";
        case Op::Unlk: return "UNLINK";
        case Op::Reset: return "RESET";
        case Op::Nop: return "NOP";
        case Op::Stop: return "STOP";
        case Op::Rte: return "RTE";
        case Op::Rts: return "RTS";
        case Op::Trapv: return "TRAPV";
        case Op::Rtr: return "RTR";
        case Op::Jsr: return "JSR";
        case Op::Jmp: return "JMP";
        case Op::Scc: return "Scc";
        case Op::Dbcc: return "DBcc";
        case Op::Bra: case Op::Bcc: return "Bcc";
        case Op::Bsr: return "BSR";
        case Op::Divu: return "DIVU";
        case Op::Divs: return "DIVS";
        case Op::Mulu: return "MULU";
        case Op::Muls: return "MULS";
        case Op::Sbcd: return "SBCD";
        case Op::Abcd: return "ABCD";
        case Op::Exg: return "EXG";
        case Op::Suba: return "SUBA" + size;
        case Op::Subx: return "SUBX" + size;
        case Op::Cmpa: return "CMPA" + size;
        case Op::Adda: return "ADDA" + size;
        case Op::Addx: return "ADDX" + size;
        case Op::ShiftReg: case Op::ShiftMem: return kShifts[d.cond & 3] + std::string(d.left ? "L" : "R") + size;
    }
    return "?";
}

TEST_F(OpcodeMap, EveryOpcodeRunsAsItsOfficialDecodingSays) {
    std::ifstream in(M68K_OFFICIAL_MAP);
    ASSERT_TRUE(in) << "the official opcode decoding is missing: " << M68K_OFFICIAL_MAP
                    << " (set -DBEVOREL_M68K_TESTS=<directory of the suite>)";
    const nlohmann::json decoding = nlohmann::json::parse(in, nullptr, false);
    ASSERT_TRUE(decoding.is_object() && decoding.size() == 65536) << "unreadable: " << M68K_OFFICIAL_MAP;
    auto decodes = [&](unsigned op) {
        char key[8];
        std::snprintf(key, sizeof key, "%04x", op);
        return decoding.value(key, std::string("None")) != "None";
    };

    start();
    s68000context& c = ctx();
    c.resethandler = [] {};
    const uint32_t frame = RESET_SSP - 6;
    int wrong = 0;
    for (unsigned op = 0; op < 65536; ++op) {
        // This core's two particulars: MOVE.B from an address register is legal
        // wherever MOVE.B from a data register is, and so is BTST #n,#imm.
        const bool move_b_from_an = (op >> 12) == 1 && ((op >> 3) & 7) == 1 && decodes(op & ~0x38u);
        const bool legal = decodes(op) || move_b_from_an || op == 0x083C;
        const unsigned expected_vector = (op >> 12) == 0xA ? 10 : (op >> 12) == 0xF ? 11 : legal ? 0 : 4;
        if (decodes(op)) {
            char key[8];
            std::snprintf(key, sizeof key, "%04x", op);
            const std::string official = decoding[key].get<std::string>();
            const std::string name = officialName(m68k::decode(static_cast<uint16_t>(op)));
            if (official.substr(0, official.find(' ')) != name && ++wrong <= 10)
                ADD_FAILURE() << "opcode " << std::hex << op << " decodes as " << name << ", officially " << official;
        }
        std::memset(c.dreg, 0, sizeof c.dreg);
        std::memset(c.areg, 0, sizeof c.areg);
        std::memset(c.interrupts, 0, sizeof c.interrupts);
        c.areg[7] = RESET_SSP;
        c.asp = 0x9000;
        c.sr = 0x2700;
        c.pc = CODE;
        c.fetch = c.s_fetch, c.readbyte = c.s_readbyte, c.readword = c.s_readword;
        c.writebyte = c.s_writebyte, c.writeword = c.s_writeword;
        for (unsigned v = 2; v < 64; ++v) mem.put32(4 * v, vector_target(v));  // whatever the last opcode wrote
        Asm(mem, CODE).w({static_cast<uint16_t>(op), 0, 0, 0, 0});
        mem.put32(frame + 2, 0xDEADBEEF);
        const uint32_t cycles = cycles_of(1);
        const bool pushed_own = c.areg[7] == frame && mem.get32(frame + 2) == CODE;
        unsigned took = 0;
        for (unsigned v : {4u, 10u, 11u})
            if (c.pc == vector_target(v) && pushed_own && cycles == 34) took = v;
        if (took != expected_vector && ++wrong <= 10) ADD_FAILURE() << "opcode " << op << " took vector " << took;
        // The diagnostics name the illegal-instruction handler as such.
        if ((s68000handlerAlias(static_cast<uint16_t>(op)) == "r_illegal") != (expected_vector == 4) && ++wrong <= 10)
            ADD_FAILURE() << "opcode " << op << " is named " << s68000handlerAlias(static_cast<uint16_t>(op));
    }
    EXPECT_EQ(wrong, 0);
}

}  // namespace
